// The portable profile reader: the contract of the two profile calls at its edges, the
// three encodings, and the line rules of the system's reader.
#include "platform/portable/ini_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "tests/support/temp_dir.h"

using platform::Dword;

namespace {

constexpr char16_t kUnwritten = 0xA5A5;
constexpr std::size_t kGuard = 8;

// A result buffer of `size` characters followed by a guard that must stay untouched.
class Buffer {
public:
    explicit Buffer(Dword size) : size_(size), data_(size + kGuard, kUnwritten) {}
    char16_t* get() { return data_.data(); }
    char16_t operator[](std::size_t i) const { return data_[i]; }
    std::u16string Text() const {
        return std::u16string(data_.data(), text::LengthBounded(data_.data(), size_));
    }
    // The first n characters, zeros included.
    std::u16string Head(std::size_t n) const { return std::u16string(data_.data(), n); }
    bool GuardIntact() const {
        for (std::size_t i = size_; i < data_.size(); ++i) {
            if (data_[i] != kUnwritten) return false;
        }
        return true;
    }

private:
    Dword size_;
    std::vector<char16_t> data_;
};

std::u16string Repeat(char16_t c, std::size_t n) {
    return std::u16string(n, c);
}

// A list as the profile calls deliver it: every string ended by a zero, then one more zero.
std::u16string List(std::initializer_list<std::u16string_view> items) {
    std::u16string out;
    for (auto item : items) {
        out += item;
        out += u'\0';
    }
    return out + u'\0';
}

// Bytes of a string literal, zeros included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

Dword ReadString(const std::u16string& content, const char16_t* section, const char16_t* key, Buffer& buffer,
                 Dword size, const char16_t* defaultValue = nullptr) {
    return platform::ReadProfileStringFromText(content, section, key, defaultValue, buffer.get(), size);
}

Dword ReadSection(const std::u16string& content, const char16_t* section, Buffer& buffer, Dword size) {
    return platform::ReadProfileSectionFromText(content, section, buffer.get(), size);
}

const std::u16string kCatalogue =
    u"; catalogue\r\n"
    u"[PRINTER_NAME]\r\n"
    u"  KV-100  =  Korvel KV-100  \r\n"
    u"KV-200=Korvel KV-200\r\n"
    u"kv-100=second of the same name\r\n"
    u"bare line\r\n"
    u"quoted=\"abc\"\r\n"
    u"[printer_name]\r\n"
    u"KV-300=in a second section of the same name\r\n"
    u"[Äb]\r\n"
    u"x=1\r\n";

}  // namespace

TEST(IniReaderString, ValueIsCutToSizeMinusOne) {
    for (std::size_t length : {18u, 19u, 20u, 300u}) {
        std::u16string value = Repeat(u'v', length);
        Buffer buffer(20);
        Dword n = ReadString(u"[S]\nk=" + value + u"\n", u"S", u"k", buffer, 20);
        std::size_t expected = std::min<std::size_t>(length, 19);
        EXPECT_EQ(n, expected) << "value of " << length;
        EXPECT_EQ(buffer.Text(), value.substr(0, expected));
        EXPECT_TRUE(buffer.GuardIntact());
    }
}

TEST(IniReaderString, TinyBuffersAreNeverOverrun) {
    const std::u16string content = u"[S]\nk=value\n";
    Buffer none(0);
    EXPECT_EQ(ReadString(content, u"S", u"k", none, 0), 0u);
    EXPECT_EQ(none[0], kUnwritten) << "a buffer of size 0 is not written";
    Buffer one(1);
    EXPECT_EQ(ReadString(content, u"S", u"k", one, 1), 0u);
    EXPECT_EQ(one[0], 0);
    Buffer two(2);
    EXPECT_EQ(ReadString(content, u"S", u"k", two, 2), 1u);
    EXPECT_EQ(two.Text(), u"v");
    EXPECT_TRUE(none.GuardIntact() && one.GuardIntact() && two.GuardIntact());
}

TEST(IniReaderString, MissingSectionKeyOrValueGivesTheDefault) {
    Buffer buffer(64);
    EXPECT_EQ(ReadString(kCatalogue, u"NOPE", u"KV-100", buffer, 64), 0u);
    EXPECT_EQ(buffer.Text(), u"") << "no default is an empty default";
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"KV-999", buffer, 64), 0u);
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"bare line", buffer, 64), 0u) << "a line without =";
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"KV-999", buffer, 64, u"fallback  "), 8u);
    EXPECT_EQ(buffer.Text(), u"fallback") << "trailing blanks of the default go";
    EXPECT_EQ(ReadString(u"", u"S", u"k", buffer, 64, u"d"), 1u) << "an empty file";
}

TEST(IniReaderString, NamesMatchWithoutRegardToCaseOrSurroundingBlanks) {
    Buffer buffer(64);
    EXPECT_EQ(ReadString(kCatalogue, u"printer_NAME", u"kv-200", buffer, 64), 13u);
    EXPECT_EQ(buffer.Text(), u"Korvel KV-200");
    EXPECT_EQ(ReadString(kCatalogue, u" PRINTER_NAME ", u"\tKV-100 ", buffer, 64), 13u);
    EXPECT_EQ(buffer.Text(), u"Korvel KV-100") << "blanks around names, = and the value do not count";
    EXPECT_EQ(ReadString(kCatalogue, u"äb", u"x", buffer, 64), 0u) << "only ASCII letters fold";
    EXPECT_EQ(ReadString(kCatalogue, u"Äb", u"X", buffer, 64), 1u);
}

TEST(IniReaderString, FirstSectionAndFirstKeyOfANameCount) {
    Buffer buffer(64);
    ReadString(kCatalogue, u"PRINTER_NAME", u"KV-100", buffer, 64);
    EXPECT_EQ(buffer.Text(), u"Korvel KV-100");
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"KV-300", buffer, 64), 0u)
        << "a second section of the same name is not read";
}

TEST(IniReaderString, EnclosingQuotesAreRemoved) {
    Buffer buffer(8);
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"quoted", buffer, 8), 3u);
    EXPECT_EQ(buffer.Text(), u"abc");
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"quoted", buffer, 4), 3u)
        << "the unquoted value fits a buffer of its length + 1";
    EXPECT_EQ(buffer.Text(), u"abc");
    EXPECT_EQ(ReadString(kCatalogue, u"PRINTER_NAME", u"quoted", buffer, 3), 2u);
    EXPECT_EQ(buffer.Text(), u"ab");
}

TEST(IniReaderString, NullSectionOrKeyListsNames) {
    Buffer buffer(64);
    const std::u16string sections = List({u"PRINTER_NAME", u"printer_name", u"Äb"});
    EXPECT_EQ(ReadString(kCatalogue, nullptr, nullptr, buffer, 64), sections.size() - 1);
    EXPECT_EQ(buffer.Head(sections.size()), sections);
    EXPECT_EQ(ReadString(kCatalogue, u"Äb", nullptr, buffer, 64), 2u);
    EXPECT_EQ(buffer.Head(3), List({u"x"}));
}

TEST(IniReaderSection, LinesInFileOrderWithoutCommentsOrBlankLines) {
    const std::u16string content =
        u"[S]\r\n; comment\r\n\r\n  M1  \nkey = value \r"
        u"[NoClose\r\n=unnamed\r\n[T] trailing text\r\nt=1";
    Buffer buffer(2048);
    Dword n = ReadSection(content, u"s", buffer, 2048);
    const std::u16string expected = List({u"M1", u"key=value", u"[NoClose", u"=unnamed"});
    EXPECT_EQ(n, expected.size() - 1);
    EXPECT_EQ(buffer.Head(expected.size()), expected);
    EXPECT_EQ(ReadSection(content, u"T", buffer, 2048), 4u) << "no final line end";
    EXPECT_EQ(ReadSection(content, u" T", buffer, 2048), 0u) << "the section call does not trim the name";
}

TEST(IniReaderSection, SectionsAroundTheBufferSize) {
    // Twenty lines of 100 characters, then one line that brings the section (each line
    // counted with its zero) to `total` characters. Up to 2047 it fits the buffer with its
    // final zero, but from 2046 on the result is size - 2, as for a section that did not fit.
    for (std::size_t total : {2045u, 2046u, 2047u, 2048u}) {
        std::u16string content = u"[KV系列]\r\n";
        std::u16string expected;
        for (int i = 0; i < 20; ++i) {
            std::u16string line = Repeat(char16_t(u'A' + i), 100);
            content += line + u"\r\n";
            expected += line + u'\0';
        }
        std::u16string last = Repeat(u'z', total - expected.size() - 1);
        content += last + u"\r\n";
        expected += last + u'\0';
        Buffer buffer(2048);
        Dword n = ReadSection(content, u"KV系列", buffer, 2048);
        EXPECT_TRUE(buffer.GuardIntact());
        if (total == 2045) {
            EXPECT_EQ(n, 2045u);
            EXPECT_EQ(buffer.Head(2046), expected + u'\0');
            continue;
        }
        EXPECT_EQ(n, 2046u) << "size - 2 for " << total;
        EXPECT_EQ(buffer.Head(2046), expected.substr(0, 2046)) << total;
        EXPECT_EQ(buffer[2046], 0);
        EXPECT_EQ(buffer[2047], total == 2046 ? kUnwritten : 0);
        if (total == 2048) {
            EXPECT_EQ(expected[2046], u'z') << "so the last line lost its last character";
        }
    }
}

TEST(IniReaderSection, MissingOrEmptySectionGivesTwoZeros) {
    for (const std::u16string& content :
         {std::u16string(), std::u16string(u"[A]\nx=1\n[E]\n; only a comment\n")}) {
        for (const char16_t* name : {u"E", u"Missing"}) {
            Buffer buffer(16);
            EXPECT_EQ(ReadSection(content, name, buffer, 16), 0u);
            EXPECT_EQ(buffer.Head(2), std::u16string(2, u'\0'));
        }
    }
}

TEST(IniReaderSection, TinyBuffersAreNeverOverrun) {
    const std::u16string content = u"[S]\nkey=value\n";
    Buffer none(0);
    EXPECT_EQ(ReadSection(content, u"S", none, 0), 0u);
    EXPECT_EQ(none[0], kUnwritten);
    Buffer one(1);
    EXPECT_EQ(ReadSection(content, u"S", one, 1), 0u);
    Buffer two(2);
    EXPECT_EQ(ReadSection(content, u"S", two, 2), 0u);
    EXPECT_EQ(two.Head(2), std::u16string(2, u'\0'));
    Buffer three(3);
    EXPECT_EQ(ReadSection(content, u"S", three, 3), 1u);
    EXPECT_EQ(three.Head(3), List({u"k"}));
    Buffer six(6);
    EXPECT_EQ(ReadSection(content, u"S", six, 6), 4u);
    EXPECT_EQ(six.Head(6), List({u"key="}));
    EXPECT_TRUE(none.GuardIntact() && one.GuardIntact() && two.GuardIntact() && three.GuardIntact() &&
                six.GuardIntact());
}

TEST(IniReaderFiles, SeriesNameFoundInEveryEncoding) {
    TempDir dir;
    const std::string utf8 = "[KV系列]\r\nKV-100\r\n[PRINTER_NAME]\r\nKV-100=打印机\r\n";
    const std::string gbk =
        "[KV\xCF\xB5\xC1\xD0]\r\nKV-100\r\n[PRINTER_NAME]\r\nKV-100=\xB4\xF2\xD3\xA1\xBB\xFA\r\n";
    const std::pair<const char*, std::string> files[] = {
        {"utf16.ini", Utf16LeWithBom(utf8)}, {"utf8.ini", "\xEF\xBB\xBF" + utf8}, {"gbk.ini", gbk}};
    platform::IniProfile profile;
    for (const auto& [name, bytes] : files) {
        std::u16string path = ProgramPath(dir.Write(name, bytes));
        Buffer buffer(2048);
        EXPECT_EQ(profile.GetPrivateProfileSectionW(u"KV系列", buffer.get(), 2048, path.c_str()), 7u) << name;
        EXPECT_EQ(buffer.Text(), u"KV-100");
        EXPECT_EQ(profile.GetPrivateProfileStringW(u"printer_name", u"kv-100", nullptr, buffer.get(), 260,
                                                   path.c_str()),
                  3u);
        EXPECT_EQ(buffer.Text(), u"打印机");
    }
    Buffer buffer(16);
    std::u16string missing = dir.ProgramDir() + u"Missing.inf";
    EXPECT_EQ(profile.GetPrivateProfileSectionW(u"KV系列", buffer.get(), 16, missing.c_str()), 0u);
    EXPECT_EQ(buffer.Head(2), std::u16string(2, u'\0'));
    EXPECT_EQ(profile.GetPrivateProfileStringW(u"S", u"k", u"d", buffer.get(), 16, missing.c_str()), 1u);
}

TEST(IniReaderFiles, LongLinesAreReadWhole) {
    TempDir dir;
    std::string content = "[S]\r\n";
    for (std::size_t length : {255u, 256u, 300u})
        content += "k" + std::to_string(length) + "=" + std::string(length, 'x') + "\r\n";
    std::u16string path = ProgramPath(dir.Write("long.ini", content));
    platform::IniProfile profile;
    Buffer buffer(2048);
    Dword n = profile.GetPrivateProfileSectionW(u"S", buffer.get(), 2048, path.c_str());
    EXPECT_EQ(n, (4 + 1 + 255 + 1) + (4 + 1 + 256 + 1) + (4 + 1 + 300 + 1));
    EXPECT_EQ(buffer.Text(), u"k255=" + Repeat(u'x', 255));
    EXPECT_EQ(profile.GetPrivateProfileStringW(u"S", u"k300", nullptr, buffer.get(), 260, path.c_str()),
              259u);
    EXPECT_EQ(profile.GetPrivateProfileStringW(u"S", u"k256", nullptr, buffer.get(), 260, path.c_str()),
              256u);
}

TEST(IniReaderDecode, ByteOrderMarksChooseTheEncoding) {
    EXPECT_EQ(platform::DecodeProfileBytes(Bytes("\xFF\xFE"
                                                 "a\0"
                                                 "\x2D\x4E")),
              u"a中");
    EXPECT_EQ(platform::DecodeProfileBytes(Bytes("\xFE\xFF"
                                                 "\0a"
                                                 "\x4E\x2D")),
              u"a中");
    EXPECT_EQ(platform::DecodeProfileBytes(Bytes("\xFF\xFE"
                                                 "a\0"
                                                 "b")),
              u"ab")
        << "an odd last byte";
    EXPECT_EQ(platform::DecodeProfileBytes("\xEF\xBB\xBF"
                                           "\xE4\xB8\xAD"),
              u"中");
    EXPECT_EQ(platform::DecodeProfileBytes("\xE4\xB8\xAD"), u"涓?") << "UTF-8 without a mark reads as GBK";
}

TEST(IniReaderDecode, BrokenUtf8BecomesReplacementCharacters) {
    auto decode = [](const std::string& bytes) {
        return platform::DecodeProfileBytes("\xEF\xBB\xBF" + bytes);
    };
    EXPECT_EQ(decode("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(decode("\xC2z"), u"\uFFFDz");
    EXPECT_EQ(decode("\xE0\x80\x80"), u"\uFFFD\uFFFD") << "overlong";
    EXPECT_EQ(decode("\xED\xA0\x80"), u"\uFFFD\uFFFD") << "surrogate";
    EXPECT_EQ(decode("\xF0\x90\x80\x80"), u"\U00010000");
    EXPECT_EQ(decode("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD") << "beyond U+10FFFF";
    EXPECT_EQ(decode("x\xE4z"), u"x\uFFFD") << "a sequence cut by the end takes the rest along";
}

TEST(IniReaderDecode, Gbk) {
    EXPECT_EQ(platform::DecodeProfileBytes("KV\xCF\xB5\xC1\xD0"), u"KV系列");
    EXPECT_EQ(platform::DecodeProfileBytes("\x80\xFF"), u"\u20AC\uF8F5");
    EXPECT_EQ(platform::DecodeProfileBytes("\xAA\xA1"), u"\uE000") << "user-defined area";
    EXPECT_EQ(platform::DecodeProfileBytes("\x81\n"
                                           "a"),
              u"?a")
        << "a lead byte takes any next byte";
    EXPECT_EQ(platform::DecodeProfileBytes(Bytes("\x81\0a")), std::u16string(u"?\0a", 3));
    EXPECT_EQ(platform::DecodeProfileBytes("a\x81"), u"a?");
}
