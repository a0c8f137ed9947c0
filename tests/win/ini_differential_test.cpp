// The portable profile reader against the system's: a corpus of catalogue files, read
// through both with the same calls and buffer sizes, must give the same results and the
// same buffers. Where the portable reader differs on purpose, the comparison names the
// difference (see Compare) and the test checks that the difference did show up.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/portable/ini_reader.h"
#include "platform/profile.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/win32/casts.h"
#include "tests/support/code_page.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

using platform::Dword;

namespace {

// ---------------------------------------------------------------------------------------
// Encodings of the corpus files.

std::string Gbk(const std::string& utf8) {
    return ToCodePage(Wide(text::FromUtf8(utf8)), 936);
}

std::string Utf8WithBom(const std::string& utf8) {
    return "\xEF\xBB\xBF" + utf8;
}

std::string Utf16(const std::u16string& wide, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : wide) {
        char low = static_cast<char>(c & 0xFF);
        char high = static_cast<char>(c >> 8);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

// The characters of a string literal, zeros included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}
template <std::size_t N>
std::u16string Chars(const char16_t (&literal)[N]) {
    return std::u16string(literal, N - 1);
}

// Random bytes with the characters that make up profile lines mixed in.
std::string Junk(unsigned seed, std::size_t length, bool highBytes) {
    static const std::string kTokens[] = {
        "[", "]", "=", "\r\n", "\n", "\r", ";", " ", "\t", std::string(1, '\0'), "KV", "\x1a", "\"", "'"};
    std::mt19937 random(seed);
    std::string out;
    while (out.size() < length) {
        unsigned pick = random() % 10;
        if (pick < 4) {
            out += kTokens[random() % std::size(kTokens)];
        } else if (pick < 7 || !highBytes) {
            out += static_cast<char>('a' + random() % 26);
        } else {
            out += static_cast<char>(0x80 + random() % 0x80);
        }
    }
    return out;
}

std::string Utf16Junk(unsigned seed, std::size_t length) {
    static const char16_t kTokens[] = {u'[',  u']', u'=', u'\r',  u'\n',  u';',  u' ',
                                       u'\t', 0,    0x1A, 0xD800, 0xDC00, 0x3000};
    std::mt19937 random(seed);
    std::u16string out;
    while (out.size() < length) {
        unsigned pick = random() % 10;
        if (pick < 4) {
            out += kTokens[random() % std::size(kTokens)];
        } else if (pick < 7) {
            out += static_cast<char16_t>(u'a' + random() % 26);
        } else {
            out += static_cast<char16_t>(random() % 0x10000);
        }
    }
    return Utf16(out, false);
}

// A section of `total` characters as the section call counts them (each line with its
// zero), made of 20 lines of 100 characters, "key=value" and bare in turn, and a last line.
std::string SectionOfSize(const std::string& name, std::size_t total) {
    std::string out = "[" + name + "]\r\n";
    std::size_t used = 0;
    for (int i = 0; i < 20; ++i) {
        std::string line = (i % 2 == 0) ? "K" + std::to_string(10 + i) + "=" + std::string(96, char('a' + i))
                                        : std::string(100, char('A' + i));
        out += line + "\r\n";
        used += line.size() + 1;
    }
    out += "Last=" + std::string(total - used - 6, 'z') + "\r\n";
    return out;
}

const std::string kCatalogue =
    "[PRINTER_SERIES]\r\nKV系列\r\nB系列\r\nNoSection\r\n"
    "[KV系列]\r\nKV-100\r\nKV-200K\r\n"
    "[B系列]\r\nKV-200K\r\nB-300\r\n"
    "[PRINTER_NAME]\r\nKV-100=Korvel KV-100\r\nKV-200K=Korvel KV-200K\r\nB-300=Korvel B-300\r\n"
    "[PRINTER_TYPE]\r\nKorvel KV-100=24\r\nKorvel KV-200K=9\r\nKorvel B-300=09\r\n";

std::vector<std::pair<std::string, std::string>> Corpus() {
    std::string longLines = "[KV系列]\r\n" + std::string(255, 'a') + "\r\n" + std::string(256, 'b') + "\r\n" +
                            std::string(300, 'c') + "\r\n[PRINTER_NAME]\r\n";
    for (std::size_t n : {255u, 256u, 300u}) {
        longLines += "k" + std::to_string(n) + "=" + std::string(n, 'v') + "\r\n";
        longLines += std::string(n - 2, 'K') + "=" + std::to_string(n) + "\r\n";
    }
    std::string aroundBuffer;
    for (std::size_t total = 2043; total <= 2050; ++total)
        aroundBuffer += SectionOfSize("S" + std::to_string(total), total);

    std::string manySeries = "[PRINTER_SERIES]\r\n";
    std::string seriesSections;
    for (int s = 0; s < 60; ++s) {
        std::string name = "Series" + std::to_string(s);
        manySeries += name + "\r\n";
        seriesSections += "[" + name + "]\r\n";
        for (int m = 0; m < 5; ++m) seriesSections += "M" + std::to_string(s * 10 + m) + "\r\n";
    }

    return {
        {"catalogue-utf16.ini", Utf16(text::FromUtf8(kCatalogue), false)},
        {"catalogue-utf8.ini", Utf8WithBom(kCatalogue)},
        {"catalogue-gbk.ini", Gbk(kCatalogue)},
        {"catalogue-utf16be.ini", Utf16(text::FromUtf8(kCatalogue), true)},
        {"catalogue-utf8-without-bom.ini", kCatalogue},
        {"catalogue-lf.ini", Gbk(Replace(kCatalogue, "\r\n", "\n"))},
        {"catalogue-cr.ini", Gbk(Replace(kCatalogue, "\r\n", "\r"))},
        {"line-ends.ini", "[S]\r\n\r\na=1\n\rb=2\r\r\nc=3\n\n\n[T]\rt=1\r\n\r\n\r\n"},
        {"comments.ini",
         "; top\r\n[S]\r\n;a=1\r\n  ; b=2\r\n#c=3\r\nd=4 ; not a comment\r\n;\r\n[;T]\r\nx=1\r\n"},
        {"spaces.ini",
         Utf16(text::FromUtf8(
                   "  [  Sp aced  ]  \r\n  a  b  =  c  d  \r\n\tk\t=\tv\t\r\n\x0bvt\x0c=\x1a z \x1a\r\n"
                   "\u00a0nb\u00a0=\u00a0x\u00a0\r\n\u3000id=\u3000y\r\n k =\r\n"),
               false)},
        {"duplicates.ini",
         "[S]\r\nk=first\r\nK=second\r\nk=third\r\n[s]\r\nk=other section\r\nonly=here\r\n[S]\r\nmore=1\r\n"
         "[T]\r\nx=1\r\n[t]\r\ny=2\r\n"},
        {"case.ini", Utf8WithBom("[MiXeD]\r\nKeY=1\r\n[Äö]\r\nÄ=2\r\n[ＫＶ]\r\nｋ=3\r\n[kv系列]\r\nm=4\r\n")},
        {"without-equals.ini",
         "[S]\r\nbare\r\n=one\r\n=two\r\nk=\r\n=three\r\n  =  \r\nk2 = = x\r\na=b=c\r\n"},
        {"headers.ini",
         "[A] trailing\r\na=1\r\n[NoClose\r\nn=1\r\n[B]]x\r\nb=1\r\n[]\r\ne=1\r\n[ "
         "]\r\nf=1\r\n[[N]]\r\ng=1\r\n"
         "[x]y]z\r\nh=1\r\n[\r\n]\r\n"},
        {"no-final-line-end.ini", "[S]\r\na=1\r\n[T]\r\nlast=value"},
        {"empty.ini", ""},
        {"bom-only-utf16.ini", "\xFF\xFE"},
        {"bom-only-utf8.ini", "\xEF\xBB\xBF"},
        {"long-lines.ini", Gbk(longLines)},
        {"around-buffer.ini", aroundBuffer},
        {"junk-gbk.ini", Junk(1, 3000, true)},
        {"junk-utf8.ini", Utf8WithBom(Junk(2, 3000, true))},
        {"junk-utf16.ini", Utf16Junk(3, 1500)},
        {"junk-ascii.ini", Junk(4, 3000, false)},
        {"zero-chars-ansi.ini",
         Bytes("[S]\r\na\0b=1\r\nc=2\0003\r\n\0d=4\r\n\0\0\r\n=x\r\n[X\0Y]\r\ne=5\r\n[ P \0 ]\r\nf=6\r\n")},
        {"zero-chars-utf16.ini",
         Utf16(
             Chars(
                 u"[S]\r\na\0b=1\r\nc=2\0003\r\n\0d=4\r\n\0\0\r\n=x\r\n[X\0Y]\r\ne=5\r\n[ P \0 ]\r\nf=6\r\n"),
             false)},
        {"quotes.ini",
         "[S]\r\na=\"x\"\r\nb='y'\r\nc=\"\r\nd=\"\"\r\ne=\" spaced \"\r\nf=  \"abc\"  "
         "\r\ng=\"ab\"c\"\r\nh='\"\r\n"
         "i=''\r\nj=\"mixed'\r\nk=\"" +
             std::string(300, 'q') + "\"\r\n"},
        {"before-first-section.ini", "top=1\r\nbare\r\n=x\r\n[S]\r\na=1\r\n"},
        {"control-chars.ini",
         "[S]\r\n\x1c"
         "fs\x1c=\x1cy\r\n\x1f=1\r\n\x7f=del\r\n\x1a\r\n\x1a g \x1a=\x1a"
         "7\x1a\r\n"},
        {"many-series.ini", Gbk(manySeries + seriesSections)},
        {"gbk-edges.ini",
         "[S]\r\na=\x81\r\nb=\xAA\xA1\r\nc=\x80\xFF\r\nd=\x81\x7f\x81\x30z\r\n[\xCF\xB5]\r\nx=1\r\nz=\x81"},
    };
}

// ---------------------------------------------------------------------------------------
// Running one call through both readers.

constexpr char16_t kUnwritten = 0xA5A5;
constexpr std::size_t kGuard = 4;

struct Outcome {
    Dword result = 0;
    std::vector<char16_t> buffer;  // the buffer and a guard behind it
};

using Call = std::function<Dword(platform::Profile&, char16_t*, Dword)>;

Outcome Run(platform::Profile& profile, const Call& call, Dword size) {
    Outcome outcome;
    outcome.buffer.assign(size + kGuard, kUnwritten);
    outcome.result = call(profile, outcome.buffer.data(), size);
    return outcome;
}

enum class Difference {
    kNone,
    // An empty list (a section without lines, a buffer of two characters, a missing
    // folder): Wine ends it with one zero and leaves the second character as it was; the
    // portable reader always ends a list with two zeros, as the list form requires.
    kEmptyListSecondZero,
    // A quoted value whose text without the quotes fills the buffer exactly (size - 1
    // characters): Wine cuts one character too many and gives size - 2, which reads as
    // "did not fit"; the portable reader delivers the whole value, as for any value that fits.
    kQuotedValueFitsExactly,
    // A file that cannot be opened for another reason than its absence (here: its folder is
    // missing): Wine leaves the buffer of the section names unwritten, not even ended by a
    // zero; the portable reader reads every unreadable file as a missing one. (Wine also
    // keeps the quotes of a default value then; the corpus does not ask for that case.)
    kUnreadableFileReadsAsMissing,
    kMismatch,
};

Difference Compare(const Outcome& ours, const Outcome& wine, Dword size, bool unreadableFile) {
    if (ours.result == wine.result && ours.buffer == wine.buffer) return Difference::kNone;
    if (unreadableFile && ours.result == 0 && wine.result == 0 &&
        std::all_of(wine.buffer.begin(), wine.buffer.end(), [](char16_t c) { return c == kUnwritten; })) {
        std::vector<char16_t> expected(ours.buffer.size(), kUnwritten);
        expected[0] = expected[1] = 0;
        if (expected == ours.buffer) return Difference::kUnreadableFileReadsAsMissing;
    }
    if (ours.result == 0 && wine.result == 0 && ours.buffer[1] == 0 && wine.buffer[1] == kUnwritten) {
        std::vector<char16_t> corrected = wine.buffer;
        corrected[1] = 0;
        if (corrected == ours.buffer) return Difference::kEmptyListSecondZero;
    }
    if (ours.result == size - 1 && wine.result == size - 2 && wine.buffer[size - 2] == 0) {
        std::vector<char16_t> corrected = wine.buffer;
        corrected[size - 2] = ours.buffer[size - 2];
        if (corrected == ours.buffer) return Difference::kQuotedValueFitsExactly;
    }
    return Difference::kMismatch;
}

std::string Show(const std::vector<char16_t>& buffer) {
    std::size_t shown = buffer.size();
    while (shown > 0 && buffer[shown - 1] == kUnwritten) --shown;
    std::string out;
    for (char16_t c : std::vector<char16_t>(buffer.begin(), buffer.begin() + shown)) {
        if (c == kUnwritten) {
            out += '~';
        } else if (c == 0) {
            out += '|';
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[12];
            std::snprintf(hex, sizeof hex, "\\u%04x", static_cast<unsigned>(c));
            out += hex;
        }
    }
    if (shown < buffer.size()) out += "~ x" + std::to_string(buffer.size() - shown);
    return out;
}

std::u16string Upper(std::u16string s) {
    for (auto& c : s) c = text::UpperAscii(c);
    return s;
}

std::u16string Lower(std::u16string s) {
    for (auto& c : s) c = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return s;
}

// The strings of a list result (each ended by a zero, the list by a second zero).
std::vector<std::u16string> Strings(const char16_t* list, Dword length) {
    std::vector<std::u16string> out;
    for (Dword i = 0; i < length;) {
        std::u16string s(list + i);
        i += static_cast<Dword>(s.size()) + 1;
        out.push_back(s);
    }
    return out;
}

// The buffer sizes tried for a result of `length` characters.
std::set<Dword> Sizes(std::initializer_list<Dword> fixed, Dword length) {
    std::set<Dword> sizes(fixed);
    for (Dword extra : {0u, 1u, 2u, 3u}) {
        if (length + extra >= 2) sizes.insert(length + extra);
    }
    return sizes;
}

// The system's profile reader (the program itself reads catalogues with the portable one
// on every system).
struct SystemProfile final : platform::Profile {
    Dword GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                   char16_t* buffer, Dword size, const char16_t* file) override {
        return ::GetPrivateProfileStringW(platform::AsWide(section), platform::AsWide(key),
                                          platform::AsWide(defaultValue), platform::AsWide(buffer), size,
                                          platform::AsWide(file));
    }
    Dword GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                    const char16_t* file) override {
        return ::GetPrivateProfileSectionW(platform::AsWide(section), platform::AsWide(buffer), size,
                                           platform::AsWide(file));
    }
};

class Differential {
public:
    Differential(std::u16string file, bool unreadable) : file_(std::move(file)), unreadable_(unreadable) {}

    // Compares one call at every size; Wine is never asked with fewer than two
    // characters, where its profile reader writes in front of the buffer.
    void Check(const std::string& what, const Call& call, const std::set<Dword>& sizes) {
        for (Dword size : sizes) {
            if (size < 2) continue;
            Outcome ours = Run(portable_, call, size);
            Outcome wine = Run(system_, call, size);
            Difference d = Compare(ours, wine, size, unreadable_);
            ++counts[d];
            ++calls;
            if (d == Difference::kMismatch && failures_++ < 10) {
                ADD_FAILURE() << what << " size " << size << "\n  portable " << ours.result << " ["
                              << Show(ours.buffer) << "]\n  wine     " << wine.result << " ["
                              << Show(wine.buffer) << "]";
            }
        }
    }

    // The whole result through the portable reader, for choosing names and sizes.
    std::vector<char16_t> Full(const Call& call, Dword& length) {
        std::vector<char16_t> buffer(65536, 0);
        length = call(portable_, buffer.data(), static_cast<Dword>(buffer.size()));
        return buffer;
    }

    void CheckFile() {
        const char16_t* file = file_.c_str();
        Call names = [file](platform::Profile& p, char16_t* b, Dword n) {
            return p.GetPrivateProfileStringW(nullptr, nullptr, nullptr, b, n, file);
        };
        Dword length = 0;
        std::vector<char16_t> all = Full(names, length);
        Check("section names", names, Sizes({2, 3, 20, 2048}, length));

        std::vector<std::u16string> sections;
        for (const auto& name : Strings(all.data(), length)) {
            for (const auto& variant : {name, Upper(name), Lower(name), u" " + name + u" "}) {
                if (std::find(sections.begin(), sections.end(), variant) == sections.end())
                    sections.push_back(variant);
            }
        }
        for (const char16_t* fixed :
             {u"", u" ", u"KV系列", u"kv系列", u"PRINTER_NAME", u"printer_type", u"Missing"}) {
            sections.push_back(fixed);
        }
        if (sections.size() > 48) sections.resize(48);
        for (const auto& section : sections) CheckSection(section);
    }

private:
    void CheckSection(const std::u16string& sectionName) {
        const char16_t* file = file_.c_str();
        const std::u16string section = sectionName;
        const std::string where = "section [" + text::ToUtf8(section) + "]";
        Call lines = [file, section](platform::Profile& p, char16_t* b, Dword n) {
            return p.GetPrivateProfileSectionW(section.c_str(), b, n, file);
        };
        Dword length = 0;
        std::vector<char16_t> all = Full(lines, length);
        Check(where + " lines", lines, Sizes({2, 3, 4, 7, 20, 2048}, length));

        for (const char16_t* fallback : {static_cast<const char16_t*>(nullptr), u"dflt"}) {
            Call keys = [file, section, fallback](platform::Profile& p, char16_t* b, Dword n) {
                return p.GetPrivateProfileStringW(section.c_str(), nullptr, fallback, b, n, file);
            };
            Full(keys, length);
            Check(where + " key names", keys, Sizes({2, 3, 20, 2048}, length));
        }

        std::vector<std::u16string> keys;
        for (const auto& line : Strings(all.data(), length)) {
            std::u16string key = line.substr(0, line.find(u'='));
            for (const auto& variant : {key, Upper(key), Lower(key), u"\t" + key + u" "}) {
                if (std::find(keys.begin(), keys.end(), variant) == keys.end()) keys.push_back(variant);
            }
        }
        for (const char16_t* fixed : {u"", u"Missing", u";a", u"KV-100"}) keys.push_back(fixed);
        if (keys.size() > 40) keys.resize(40);
        for (const auto& key : keys) CheckKey(where, section, key);
    }

    void CheckKey(const std::string& where, const std::u16string& section, const std::u16string& key) {
        const char16_t* file = file_.c_str();
        for (const char16_t* fallback : {static_cast<const char16_t*>(nullptr), u"dflt  ", u"'q'", u"  "}) {
            if (unreadable_ && fallback != nullptr && fallback[0] == u'\'') continue;
            Call value = [file, section, key, fallback](platform::Profile& p, char16_t* b, Dword n) {
                return p.GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback, b, n, file);
            };
            Dword length = 0;
            Full(value, length);
            std::set<Dword> sizes =
                fallback == nullptr ? Sizes({2, 3, 20, 260}, length) : std::set<Dword>{20};
            Check(where + " key [" + text::ToUtf8(key) + "] default " +
                      (fallback ? text::ToUtf8(fallback) : "none"),
                  value, sizes);
        }
    }

public:
    std::map<Difference, int> counts;
    int calls = 0;

private:
    std::u16string file_;
    bool unreadable_;
    platform::IniProfile portable_;
    SystemProfile system_;
    int failures_ = 0;
};

}  // namespace

TEST(IniDifferential, WineReadsAnsiFilesAsCodePage936) {
    ASSERT_EQ(GetACP(), 936u) << "the corpus's ANSI files are compared under a Chinese locale";
}

TEST(IniDifferential, CorpusReadsAlikeThroughBothReaders) {
    ASSERT_EQ(GetACP(), 936u);
    TempDir dir;
    std::map<Difference, int> counts;
    int calls = 0;
    auto corpus = Corpus();
    ASSERT_GE(corpus.size(), 25u);
    std::vector<std::u16string> paths;
    for (const auto& [name, bytes] : corpus) paths.push_back(ProgramPath(dir.Write(name, bytes)));
    paths.push_back(dir.ProgramDir() + u"missing.ini");
    const std::u16string unreadable = dir.ProgramDir() + u"missing-folder\\catalogue.ini";
    paths.push_back(unreadable);
    for (const auto& path : paths) {
        SCOPED_TRACE(text::ToUtf8(path));
        Differential differential(path, path == unreadable);
        differential.CheckFile();
        for (const auto& [d, n] : differential.counts) counts[d] += n;
        calls += differential.calls;
    }
    std::printf(
        "%d calls compared: %d alike, %d empty lists with two zeros, %d quoted values delivered whole, "
        "%d unreadable-file results\n",
        calls, counts[Difference::kNone], counts[Difference::kEmptyListSecondZero],
        counts[Difference::kQuotedValueFitsExactly], counts[Difference::kUnreadableFileReadsAsMissing]);
    EXPECT_EQ(counts[Difference::kMismatch], 0);
    EXPECT_GT(counts[Difference::kEmptyListSecondZero], 0) << "the named difference no longer shows";
    EXPECT_GT(counts[Difference::kQuotedValueFitsExactly], 0) << "the named difference no longer shows";
    EXPECT_GT(counts[Difference::kUnreadableFileReadsAsMissing], 0) << "the named difference no longer shows";
}

// The decoding of ANSI and UTF-8 files against the system's converters, on every pair of
// bytes of code page 936 and on random byte strings.
TEST(IniDifferential, DecodingMatchesTheSystemConverters) {
    auto system = [](UINT codePage, const std::string& bytes) { return U16(FromCodePage(bytes, codePage)); };
    int mismatches = 0;
    auto compare = [&](UINT codePage, const std::string& bytes, const std::string& fileBytes) {
        if (platform::DecodeProfileBytes(fileBytes) == system(codePage, bytes)) return;
        if (mismatches++ < 10)
            ADD_FAILURE() << "code page " << codePage << " bytes " << testing::PrintToString(bytes);
    };
    // A leading "a" keeps byte pairs from reading as byte-order marks.
    for (int lead = 0; lead < 256; ++lead) {
        compare(936, std::string{'a', char(lead)}, std::string{'a', char(lead)});
        for (int trail = 0; trail < 256; ++trail) {
            std::string bytes{'a', char(lead), char(trail)};
            compare(936, bytes, bytes);
        }
    }
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string bytes(1 + random() % 12, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(random() % 3 == 0 ? random() % 0x80 : 0x80 + random() % 0x80);
        compare(936, "a" + bytes, "a" + bytes);
        compare(CP_UTF8, bytes, "\xEF\xBB\xBF" + bytes);
    }
    EXPECT_EQ(mismatches, 0);
}
