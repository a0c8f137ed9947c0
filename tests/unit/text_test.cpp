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
}

TEST(Text, DecimalAndUtf8) {
    EXPECT_EQ(text::Decimal(0), u"0");
    EXPECT_EQ(text::Decimal(-2147483648LL), u"-2147483648");
    EXPECT_EQ(text::Decimal(1000), u"1000");
    EXPECT_EQ(text::FromUtf8("KV系列"), u"KV系列");
    EXPECT_EQ(text::ToUtf8(u"KV系列"), "KV系列");
    EXPECT_EQ(text::FromUtf8("\xE7\xB3"), u"\xFFFD") << "a cut sequence never reads past the end";
}
