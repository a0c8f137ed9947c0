// Bounded text helpers: every copy stays within its destination and ends in a zero.
#include <gtest/gtest.h>

#include "platform/text.h"

TEST(Text, CopyAndAppendStayWithinCapacity) {
    char16_t buffer[6];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_FALSE(text::Copy(buffer, 4, u"abcdef"));
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_EQ(buffer[4], u'#');
    EXPECT_TRUE(text::Copy(buffer, 4, u"abc"));
    EXPECT_FALSE(text::Append(buffer, 5, u"de"));
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    EXPECT_FALSE(text::Copy(buffer, 0, u"x"));
}

TEST(Text, ComparisonsAndSearch) {
    EXPECT_TRUE(text::Equal(u"KV-100", u"KV-100"));
    EXPECT_FALSE(text::Equal(u"KV-100", u"KV-1000"));
    EXPECT_FALSE(text::Equal(u"KV-100", u"kv-100"));
    EXPECT_TRUE(text::EqualNoCase(u"PRINTER_Type", u"printer_TYPE"));
    EXPECT_TRUE(text::StartsWithNoCase(u"lpt1:", u"LPT1:"));
    EXPECT_FALSE(text::StartsWith(u"Al", u"Alpha", 5)) << "a shorter text never starts with a longer one";
    EXPECT_EQ(text::Find(u"a;MDL:x;", u"MDL:"), 2u);
    EXPECT_EQ(text::Find(u"MDL", u"MDL:"), text::npos);
    EXPECT_EQ(text::Find(u"abc", u"c", 3), text::npos);
    EXPECT_TRUE(text::BreaksQuotes(u"a\"b"));
    EXPECT_TRUE(text::BreaksQuotes(u"C:\\Drivers\\"));
    EXPECT_FALSE(text::BreaksQuotes(u"C:\\Drivers\\x.inf"));
    EXPECT_FALSE(text::BreaksQuotes(u""));
}

TEST(Text, DecimalAndUtf8) {
    EXPECT_EQ(text::Decimal(0), u"0");
    EXPECT_EQ(text::Decimal(-2147483648LL), u"-2147483648");
    EXPECT_EQ(text::Decimal(1000), u"1000");
    EXPECT_EQ(text::Decimal(7, 3), u"007") << "as %03u";
    EXPECT_EQ(text::Decimal(2026, 2), u"2026") << "a width never cuts";
    EXPECT_EQ(text::Hex(0x1a), u"1a") << "as %x";
    EXPECT_EQ(text::Hex(0x80070005, 8, true), u"80070005");
    EXPECT_EQ(text::Hex(0xE, 8, true), u"0000000E") << "as %08X";
    EXPECT_EQ(text::Hex(~0ull), u"ffffffffffffffff");
    EXPECT_EQ(text::FromUtf8("KV系列"), u"KV系列");
    EXPECT_EQ(text::ToUtf8(u"KV系列"), "KV系列");
    EXPECT_EQ(text::FromUtf8("\xE7\xB3"), u"\xFFFD") << "a cut sequence never reads past the end";
}

TEST(Text, QuotedCutsOnlyAValueLongerThanShown) {
    EXPECT_EQ(text::Quoted(u""), u"\"\"");
    EXPECT_EQ(text::Quoted(u"KV 100 (2)"), u"\"KV 100 (2)\"");
    EXPECT_EQ(text::Quoted(u"abc", 3), u"\"abc\"");
    EXPECT_EQ(text::Quoted(u"abcd", 3), u"\"abc...\"");
    EXPECT_EQ(text::Quoted(u"abcd", 0), u"\"...\"");
}

// Every width of UTF-8 at its edges, the edges of the surrogate range, and surrogates
// without their partner, each of which becomes U+FFFD.
TEST(Text, Utf8OfEveryKindOfUnitAndUnpairedSurrogates) {
    struct Case {
        std::u16string utf16;
        std::string utf8;
    };
    const std::string kReplacement = "\xEF\xBF\xBD";
    for (const Case& c : {
             Case{u"A~", "A~"},
             Case{std::u16string{0x7F, 0x80}, "\x7F\xC2\x80"},
             Case{u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
             Case{u"\uD7FF\uE000", "\xED\x9F\xBF\xEE\x80\x80"},
             Case{u"\uFFFF", "\xEF\xBF\xBF"},
             Case{u"\U00010000\U0010FFFF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
             Case{u"\U0001F5A8", "\xF0\x9F\x96\xA8"},
             Case{std::u16string{0xD83D}, kReplacement},
             Case{std::u16string{0xDDA8, u'a'}, kReplacement + "a"},
             Case{std::u16string{0xDBFF, 0xDBFF, 0xDFFF}, kReplacement + "\xF4\x8F\xBF\xBF"},
             Case{std::u16string{0xDDA8, 0xD83D}, kReplacement + kReplacement},
             Case{std::u16string{0xD83D, u'a', 0xD83D, 0xD83D, 0xDDA8},
                  kReplacement + "a" + kReplacement + "\xF0\x9F\x96\xA8"},
         }) {
        EXPECT_EQ(text::ToUtf8(c.utf16), c.utf8) << testing::PrintToString(c.utf8);
    }
}

TEST(Text, BoundedUtf8NeverSplitsACharacterNorWritesPastItsCapacity) {
    char out[8];
    std::fill(std::begin(out), std::end(out), '#');
    text::Utf8Converted part = text::ToUtf8Bounded(u"ab系", out, 4);
    EXPECT_EQ(part.consumed, 2u);
    EXPECT_EQ(part.written, 2u);
    EXPECT_EQ(out[2], '#');
    part = text::ToUtf8Bounded(u"\U0001F5A8", out, 3);
    EXPECT_EQ(part.consumed, 0u);
    EXPECT_EQ(part.written, 0u);
    part = text::ToUtf8Bounded(std::u16string{0xD83D}, out, 3);
    EXPECT_EQ(part.consumed, 1u);
    EXPECT_EQ(std::string(out, part.written), "\xEF\xBF\xBD");
    part = text::ToUtf8Bounded(u"", out, 0);
    EXPECT_EQ(part.consumed, 0u);
}
