// The program's INF reading against the system's INF parser (SetupOpenInfFileW,
// SetupFindFirstLineW, SetupGetStringFieldW): on a corpus of driver INF files written in
// every way the syntax allows, each line of the sections the look-up reads must have the
// same key and fields with %tokens% replaced, and each model the same hardware ID as the
// system's parser gives for the model's line in the chosen models section.
//
// Where the two differ on purpose, the corpus stays out of the way: a UTF-16 file without
// a byte-order mark, tokens of digits only (directory IDs), localized [Strings.LLLL]
// sections (Wine reads [Strings] alone; the choice by locale: inf_catalog_test.cpp), and
// fields longer than the system's field limit. 8-bit files are GBK, the prefix's code page.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <setupapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/install/device_matching.h"
#include "engine/inf/inf_file.h"
#include "engine/inf/inf_model_line.h"
#include "engine/limits.h"
#include "engine/inf/models_section.h"
#include "platform/services.h"
#include "platform/text.h"
#include "tests/support/code_page.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

struct Line {
    std::optional<std::u16string> key;
    std::vector<std::u16string> fields;
    bool operator==(const Line&) const = default;
};

std::string Describe(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& line : lines) {
        out += line.key ? "[" + text::ToUtf8(*line.key) + "] =" : "(no key)";
        for (const auto& field : line.fields) out += " |" + text::ToUtf8(field) + "|";
        out += "\n";
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// The system's parser.

class SystemInf {
public:
    explicit SystemInf(const std::u16string& path)
        : inf_(SetupOpenInfFileW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr, INF_STYLE_WIN4,
                                 nullptr)) {}
    ~SystemInf() {
        if (Opened()) SetupCloseInfFile(inf_);
    }
    SystemInf(const SystemInf&) = delete;
    SystemInf& operator=(const SystemInf&) = delete;

    bool Opened() const { return inf_ != INVALID_HANDLE_VALUE; }

    std::vector<Line> LinesOf(const std::u16string& section) const {
        std::vector<Line> lines;
        INFCONTEXT context;
        BOOL found = SetupFindFirstLineW(inf_, Wide(section).c_str(), nullptr, &context);
        for (; found; found = SetupFindNextLine(&context, &context)) {
            Line line;
            line.key = Field(context, 0);
            for (DWORD i = 1, count = SetupGetFieldCount(&context); i <= count; ++i) {
                line.fields.push_back(Field(context, i).value_or(u"<unreadable field>"));
            }
            lines.push_back(std::move(line));
        }
        return lines;
    }

private:
    static std::optional<std::u16string> Field(INFCONTEXT& context, DWORD index) {
        DWORD size = 0;
        if (!SetupGetStringFieldW(&context, index, nullptr, 0, &size) || size == 0) return std::nullopt;
        std::wstring buffer(size, L'\0');
        if (!SetupGetStringFieldW(&context, index, buffer.data(), size, nullptr)) return std::nullopt;
        buffer.resize(size - 1);
        return U16(buffer);
    }

    HINF inf_;
};

engine::TargetSystem ThisTestsSystem() {
    engine::TargetSystem system;
    system.architecture = sizeof(void*) == 8 ? engine::Architecture::Amd64 : engine::Architecture::X86;
    if (!platform::Get<platform::SystemVersion>().RtlGetVersion(&system.version)) system.version = {};
    system.language = platform::Get<platform::SystemVersion>().GetSystemDefaultLangID();
    return system;
}

// The models sections [Manufacturer] names: every decorated and undecorated one, and the
// one chosen for the system.
struct ModelsSections {
    std::vector<std::u16string> all;
    std::vector<std::u16string> chosen;
};

ModelsSections SectionsNamed(const std::vector<Line>& manufacturers, const engine::TargetSystem& system) {
    ModelsSections sections;
    for (const Line& line : manufacturers) {
        if (line.fields.empty()) continue;
        std::vector<std::u16string> decorations(line.fields.begin() + 1, line.fields.end());
        sections.all.push_back(line.fields[0]);
        for (const auto& decoration : decorations) sections.all.push_back(line.fields[0] + u"." + decoration);
        if (auto chosen = engine::ChooseModelsSection(line.fields[0], decorations, system)) {
            sections.chosen.push_back(*chosen);
        }
    }
    return sections;
}

// The model's line as the INF Models section defines it, read with the system's parser.
std::optional<std::u16string> SystemHardwareId(const SystemInf& inf, const std::u16string& quotedName,
                                               const engine::TargetSystem& system) {
    for (const auto& section : SectionsNamed(inf.LinesOf(u"Manufacturer"), system).chosen) {
        for (const Line& line : inf.LinesOf(section)) {
            if (!line.key || line.fields.size() < 2 || u"\"" + *line.key + u"\"" != quotedName) continue;
            bool usb = false;
            for (std::size_t i = 1; i < line.fields.size(); ++i) {
                usb = usb || line.fields[i].find(u"USB") != std::u16string::npos;
            }
            if (usb && line.fields[1].size() < kHardwareIdCapacity) return line.fields[1];
        }
    }
    return std::nullopt;
}

// The same lines read by the program.
std::vector<Line> OwnLinesOf(const std::string& bytes, const std::u16string& section,
                             platform::LangId language) {
    std::optional<engine::InfFile> inf = engine::InfFile::Parse(bytes, {section}, language);
    std::vector<Line> lines;
    if (!inf) return lines;
    for (const engine::InfFile::Line* line : inf->LinesOf(section)) {
        Line own;
        if (line->key) own.key = inf->Expand(*line->key);
        for (const auto& field : line->fields) own.fields.push_back(inf->Expand(field));
        lines.push_back(std::move(own));
    }
    return lines;
}

// ---------------------------------------------------------------------------------------
// The corpus.

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

const std::string kVersion =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=%KORVEL%\r\n";

// A file whose manufacturer names the same models for every architecture.
std::string Inf(const std::string& models, const std::string& strings = "") {
    return kVersion + "[Manufacturer]\r\n%KORVEL%=KORVEL,NTamd64,NTx86\r\n[KORVEL.NTamd64]\r\n" + models +
           "\r\n[KORVEL.NTx86]\r\n" + models + "\r\n[Strings]\r\nKORVEL=\"Korvel\"\r\n" + strings;
}

// UTF-8 text in code page 936.
std::string Gbk(const std::string& utf8) {
    return ToCodePage(FromCodePage(utf8, CP_UTF8), 936);
}

// In code page 936 誠, 誡 and 誟 end in the bytes of "\", "]" and "["; "　" is a blank.
const std::string kGbkModels =
    "\"KORVEL 啊\" = KV啊, USBPRINT\\KORVEL啊\r\n"
    "\"KORVEL 系列\" = A, USBPRINT\\LAST誠\r\n"
    "\"KORVEL KV-100\" = KV100, USBPRINT\\KORVELKV-1001A2B ; 注释 \"誠\r\n"
    "\"KORVEL 誠\"　=　A誠　,　\"USBPRINT\\誠,;\"誡 , 誟 ; \"誠\"\r\n"
    "\"KORVEL KV-300\" = KV300, USBPRINT\\誠 \\\r\n   KV300誡\r\n"
    "%KV.WIDE% = W, USBPRINT\\誟誠";

const std::string kOneId =
    "\"KORVEL KV-100\" = KV100, USBPRINT\\KORVELKV-1001A2B\r\n"
    "\"KORVEL KV-100\" = KV100, LPTENUM\\KORVELKV-1001A2B\r\n"
    "\"KORVEL KV-200\"=KV200,USBPRINT\\KORVELKV-2003C4D\r\n"
    "\"KORVEL KV-1000\" = KV1000, USBPRINT\\KORVELKV-1000";

const std::string kTokens =
    "%KV100% = KV100, USBPRINT\\KORVELKV-1001A2B, KORVELKV-1001A2B\r\n"
    "%kv200.desc% = KV200, %KV200.ID%\r\n"
    "\"%KV1000%\" = KV1000, USBPRINT\\%UNKNOWN%, 100%%\r\n"
    "%NOT.DEFINED% = X, USBPRINT\\UNDEFINED\r\n"
    "%% = X, %%%%, USB%unfinished";
const std::string kTokenStrings =
    "KV100 = \"KORVEL KV-100\"\r\n"
    "KV200.DESC=\"KORVEL \"\"KV\"\"-200\"\r\n"
    "KV200.Desc=\"not the first\"\r\n"
    "kv200.id = USBPRINT\\KORVELKV-2003C4D\r\n"
    "KV1000 = KORVEL KV-1000\r\n"
    "NESTED = %KV100%\r\n";

const std::string kLayout =
    "; a comment line before the models\r\n"
    "\r\n"
    "   \"KORVEL KV-100\"   =   KV100  ,   USBPRINT\\KORVELKV-1001A2B   ;   the USB line, with \"quotes\"\r\n"
    "\t\"KORVEL KV-200\"\t=\tKV200\t,\tUSBPRINT\\KORVELKV-2003C4D\t,\tKORVELKV-2003C4D\t\r\n"
    "\"KORVEL KV-1000\" = KV1000 , USB PRINT \\ KV 1000 , X Y\n"
    "\"KORVEL KV-300\" =\r\n"
    "\"KORVEL KV-400\"\r\n"
    "\"KORVEL KV-500\" = ,\r\n"
    ", USBPRINT\\NOKEY\r\n"
    "= KV600, USBPRINT\\EMPTYKEY\r\n"
    "KORVEL KV-700 = KV700, USBPRINT\\UNQUOTED;comment\r\n"
    "\"KORVEL KV-800\" = A = B, USBPRINT\\EQUALS\r\n"
    "\x0b\"KORVEL KV-900\"\x0c=\x0b"
    "A,\rUSBPRINT\\CR\r\r\n";

const std::string kQuotes =
    "\"KORVEL KV-100\" = KV100, \"USBPRINT\\A,B;C\", \"\"\r\n"
    "\"KORVEL\" KV-200 = KV200, USB\"PRINT\"\\X\"\"Y, \"  spaced  \"\r\n"
    "\"KORVEL \"\"KV\"\"-300\" = KV300, \"\"\"USBPRINT\"\"\"\r\n"
    "KORVEL\" \"KV-400 = KV400, \"USBPRINT\\\" \"   after\r\n"
    "\"KORVEL KV-500\" = KV500, USBPRINT\\\"unterminated, still ; quoted\r\n"
    "\"KORVEL KV-600\"   \"   \" = KV600 , \"\" USBPRINT \"\" , x\r\n";

const std::string kContinued =
    "\"KORVEL KV-100\" = KV100, \\\r\n"
    "    USBPRINT\\KORVELKV-1001A2B\r\n"
    "\"KORVEL KV-200\" = KV200, USBPRINT\\KOR\\\r\n"
    "VELKV-200\r\n"
    "\"KORVEL KV-300\" = KV300, USBPRINT\\ABC   \\   ; a comment after the backslash\r\n"
    "   DEF, X\r\n"
    "\"KORVEL KV-400\" \\\r\n"
    "= KV400, USBPRINT\\\\DOUBLE\\\\, \\ X\r\n"
    "\"KORVEL KV-500\" = KV500, USBPRINT\\ \\ \\\r\n"
    "\\\r\n"
    "  END\r\n"
    "\"KORVEL KV-600\" = KV600, \"USBPRINT\\QUOTED\\\"\r\n"
    "\"KORVEL KV-700\" = KV700, USBPRINT\\LAST\\";

const std::string kDecorations =
    kVersion +
    "[Manufacturer]\r\n"
    "%KORVEL% = Korvel, NTamd64, NTamd64.6.1, NTamd64.10.0, NTamd64.10.0...14393, ntX86, NT.6.0, NTia64\r\n"
    "Other=Other\r\n"
    "[Strings]\r\nKORVEL=\"Korvel\"\r\n"
    "[KORVEL]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\UNDECORATED\r\n"
    "[korvel.ntamd64]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\AMD64\r\n"
    "[Korvel.NTamd64.6.1]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\AMD64-6.1\r\n"
    "[Korvel.NTamd64.10.0]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\AMD64-10.0\r\n"
    "[Korvel.NTamd64.10.0...14393]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\AMD64-1607\r\n"
    "[Korvel.ntX86]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\X86\r\n"
    "[Korvel.NT.6.0]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\NT-6.0\r\n"
    "[Korvel.NTia64]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\IA64\r\n"
    "[Other]\r\n\"KORVEL KV-200\" = KV200, USBPRINT\\OTHER\r\n"
    // A section named again goes on where it stopped.
    "[KORVEL.NTAMD64]\r\n\"KORVEL KV-200\" = KV200, USBPRINT\\AMD64-SECOND-PART\r\n"
    "[Korvel.NTx86]\r\n\"KORVEL KV-200\" = KV200, USBPRINT\\X86-SECOND-PART\r\n";

// Model lines made of the pieces the syntax gives meaning to, at random.
std::string JunkModels(unsigned seed, int lines, bool wide) {
    static const char* const kPieces[] = {"\"KORVEL KV-100\"",
                                          "%KV100%",
                                          "KORVEL KV-100",
                                          "\"KORVEL",
                                          " KV-100\"",
                                          "=",
                                          "=",
                                          ",",
                                          ",",
                                          ", ",
                                          " ",
                                          "\t",
                                          "\"",
                                          "\"\"",
                                          ";",
                                          "\\",
                                          "\\\r\n",
                                          "\r",
                                          "%",
                                          "%%",
                                          "USBPRINT\\",
                                          "KV",
                                          "-200 ",
                                          "ID%KV100%",
                                          "%kv100%",
                                          "USB",
                                          "\v",
                                          "x y",
                                          "\\ ;c\r\n"};
    static const char* const kWidePieces[] = {"啊", "系列", "\"KORVEL 啊\"", "誠", "誡", "誟", "　"};
    std::mt19937 random(seed);
    std::string out;
    for (int i = 0; i < lines; ++i) {
        std::string line;
        for (int n = 2 + random() % 12; n > 0; --n) {
            if (wide && random() % 6 == 0) {
                line += kWidePieces[random() % std::size(kWidePieces)];
            } else {
                line += kPieces[random() % std::size(kPieces)];
            }
        }
        out += line + (random() % 4 == 0 ? "\n" : "\r\n");
    }
    return out;
}

std::string ReadSample(const char* relative) {
    std::ifstream file(std::string(TAMRIN_MEDIUM_DIR) + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

struct CorpusFile {
    std::string name;
    std::string bytes;
};

std::vector<CorpusFile> Corpus() {
    const std::string strings = kTokenStrings + "KV.WIDE = \"KORVEL 啊\"\r\n";
    std::vector<CorpusFile> corpus = {
        {"medium-24pin.inf", ReadSample("/PrinterDriver/24pin/OEMPRINT.INF")},
        {"medium-9pin.inf", ReadSample("/PrinterDriver/9pin/OEMPRINT.INF")},
        {"one-id.inf", Inf(kOneId)},
        {"one-id-lf.inf", Replace(Inf(kOneId), "\r\n", "\n")},
        {"one-id-utf16.inf", Utf16LeWithBom(Inf(kOneId))},
        {"one-id-utf8-bom.inf", "\xEF\xBB\xBF" + Inf(kOneId + "\r\n\"KORVEL 啊\" = W, USBPRINT\\UTF8啊")},
        {"gbk.inf",
         Gbk(Replace(Replace(Inf(kGbkModels, strings), "=KORVEL,", "=誡系列誟,"), "[KORVEL.", "[誡系列誟."))},
        {"tokens.inf", Inf(kTokens, kTokenStrings)},
        {"tokens-utf16.inf",
         Utf16LeWithBom(Inf(kTokens + "\r\n%KV.WIDE% = W, USBPRINT\\WIDE啊, 系列", strings))},
        {"layout.inf", Inf(kLayout)},
        {"layout-utf16.inf", Utf16LeWithBom(Inf(kLayout))},
        {"quotes.inf", Inf(kQuotes)},
        {"continued.inf", Inf(kContinued)},
        {"continued-at-end.inf", Inf("") + "[KORVEL.NTamd64]\r\n\"KORVEL KV-100\" = A, USBPRINT\\END\\"},
        {"decorations.inf", kDecorations},
        {"ctrl-z.inf",
         Inf("\"KORVEL KV-100\" = A, USBPRINT\\BEFORE\r\n\x1a\"KORVEL KV-200\" = A, USBPRINT\\AFTER")},
        {"broken-section-name.inf", Inf(kOneId) + "[Broken\r\n"},
        // Text before the first section is passed over a character at a time; without
        // [Strings] the file is no INF.
        {"text-before-sections.inf",
         "junk ; [x]\r\nmore [Early]\r\n\"KORVEL KV-100\" = A, USBPRINT\\EARLY\r\n" + Inf(kOneId)},
        {"unicode-blanks-utf16.inf",
         Utf16LeWithBom(Inf("\u3000\"KORVEL KV-100\"\u00a0=\u2003KV100\u3000,\u00a0USBPRINT\\SP\u3000A\u2009,X"))},
        {"section-name-255.inf", Inf(kOneId) + "[" + std::string(255, 's') + "]\r\nx=1\r\n"},
        {"section-name-256.inf", Inf(kOneId) + "[" + std::string(256, 's') + "]\r\nx=1\r\n"},
        {"text-before-sections-no-strings.inf",
         "junk\r\n" + Replace(Inf(kOneId), "[Strings]", "[NoStrings]")},
    };
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const std::string models = JunkModels(seed, 80, false);
        corpus.push_back({"junk-" + std::to_string(seed) + ".inf", Inf(models, kTokenStrings)});
        const std::string wide = JunkModels(100 + seed, 80, true);
        corpus.push_back({"junk-utf16-" + std::to_string(seed) + ".inf", Utf16LeWithBom(Inf(wide, strings))});
        corpus.push_back({"junk-gbk-" + std::to_string(seed) + ".inf",
                          Gbk(Inf(JunkModels(200 + seed, 80, true), strings))});
    }
    return corpus;
}

const std::u16string kModels[] = {
    u"KORVEL KV-100",     u"Korvel KV-100", u"KORVEL KV-200", u"KORVEL KV-1000", u"KORVEL \"KV\"-200",
    u"KORVEL \"KV\"-300", u"KORVEL KV-400", u"KORVEL KV-500", u"KORVEL KV-600",  u"KORVEL KV-700",
    u"KORVEL KV-800",     u"KORVEL KV-900", u"KORVEL 啊",     u"%NOT.DEFINED%",  u"%",
    u"KORVEL 系列",       u"KORVEL 誠",     u"KORVEL 誡"};

TEST(InfDifferential, TheProgramReadsDriverInfFilesAsTheSystemsParser) {
    TempDir dir;
    const engine::TargetSystem system = ThisTestsSystem();
    EXPECT_EQ(system.language, 0x0804) << "the prefix's system locale: Chinese (PRC)";
    int files = 0, fileLines = 0, sectionsCompared = 0, linesCompared = 0, lookUps = 0, idsFound = 0,
        unopened = 0;
    for (const CorpusFile& file : Corpus()) {
        SCOPED_TRACE(file.name);
        ASSERT_FALSE(file.bytes.empty());
        const std::u16string path = ProgramPath(dir.Write(file.name, file.bytes));
        ++files;
        for (char c : file.bytes) fileLines += c == '\n';

        SystemInf inf(path);
        if (!inf.Opened()) {
            ++unopened;
            EXPECT_EQ(engine::HardwareIdInInf(path.c_str(), u"\"KORVEL KV-100\"", 15, system).lookup,
                      engine::InfLookup::NotAnInf);
            continue;
        }
        const std::vector<Line> manufacturers = inf.LinesOf(u"Manufacturer");
        std::vector<std::u16string> sections = SectionsNamed(manufacturers, system).all;
        sections.insert(sections.begin(), {u"Manufacturer", u"Strings", u"Version"});
        for (const auto& section : sections) {
            const std::vector<Line> expected = inf.LinesOf(section);
            const std::vector<Line> own = OwnLinesOf(file.bytes, section, system.language);
            EXPECT_TRUE(own == expected) << "[" << text::ToUtf8(section) << "]\nthe program:\n"
                                         << Describe(own) << "the system:\n"
                                         << Describe(expected);
            linesCompared += static_cast<int>(expected.size());
            ++sectionsCompared;
        }
        for (const std::u16string& model : kModels) {
            const std::u16string quoted = u"\"" + model + u"\"";
            std::optional<std::u16string> expected =
                SystemHardwareId(inf, InfNamePattern(quoted.c_str()), system);
            engine::InfHardwareId own = engine::HardwareIdInInf(path.c_str(), quoted.c_str(), quoted.size(), system);
            std::optional<std::u16string> ownId;
            if (own.lookup == engine::InfLookup::Found) ownId = own.id;
            EXPECT_TRUE(ownId == expected)
                << text::ToUtf8(model) << ": the program " << (ownId ? text::ToUtf8(*ownId) : "(none)")
                << ", the system " << (expected ? text::ToUtf8(*expected) : "(none)");
            ++lookUps;
            idsFound += expected.has_value();
        }
    }
    std::printf(
        "%d INF files of %d lines: %d lines of %d sections alike, %d look-ups alike (%d with an ID), "
        "%d files the system does not open\n",
        files, fileLines, linesCompared, sectionsCompared, lookUps, idsFound, unopened);
    EXPECT_EQ(unopened, 3);
    EXPECT_GT(idsFound, 40);
}

}  // namespace
