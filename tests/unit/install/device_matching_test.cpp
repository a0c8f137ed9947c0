// The hardware ID of a printer in the driver INF file.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "engine/inf/inf_file.h"
#include "engine/install/device_matching.h"
#include "engine/printer_installer.h"
#include "platform/services.h"
#include "platform/system_version.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

constexpr std::int32_t kWholeName = INT32_MIN;

// A driver INF whose manufacturer names the same models for 64-bit and 32-bit Windows,
// so that each case reads alike in every build.
std::string Inf(const std::string& models, const std::string& strings = "") {
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
           "[Manufacturer]\r\n%KORVEL%=KORVEL,NTamd64,NTx86\r\n"
           "[KORVEL.NTamd64]\r\n" + models + "\r\n[KORVEL.NTx86]\r\n" + models +
           "\r\n[Strings]\r\nKORVEL=\"Korvel\"\r\n" + strings;
}

class FindHardwareIdInInfTest : public testing::Test {
protected:
    std::int32_t Find(const std::string& inf, const std::u16string& quotedName,
                      std::int32_t length = kWholeName) {
        std::u16string path = ProgramPath(dir.Write("PrinterDriver/24pin/OEMPRINT.INF", inf));
        return FindIn(path, quotedName, length);
    }
    std::int32_t FindIn(const std::u16string& path, const std::u16string& quotedName,
                        std::int32_t length = kWholeName) {
        std::memset(id, 0, sizeof id);
        if (length == kWholeName) length = static_cast<std::int32_t>(quotedName.size());
        return installer.FindHardwareIdInInf(path.c_str(), quotedName.c_str(), length, id);
    }
    std::optional<std::string> Id(const std::string& inf) {
        if (Find(inf, u"\"Korvel KV-100\"") != 1) return std::nullopt;
        return std::string(id);
    }

    TempDir dir;
    CPrinterInstaller installer;
    char id[kHardwareIdCapacity] = {};
};

// The model line as "General Syntax Rules for INF Files" and "INF Models Section" write
// it; the answers are Windows' INF parser's (tests/win/inf_differential_test.cpp).
TEST_F(FindHardwareIdInInfTest, TheIdAfterTheInstallSectionOfTheModelsLine) {
    const std::string kv100 = "\"KORVEL KV-100\" = KV100, ";
    struct Case {
        const char* what;
        std::string inf;
        std::optional<std::string> id;
    } cases[] = {
        {"compatible IDs follow", Inf(kv100 + "USBPRINT\\KORVELKV-1001A2B, KORVELKV-1001A2B"),
         "USBPRINT\\KORVELKV-1001A2B"},
        {"one ID, no second comma", Inf(kv100 + "USBPRINT\\ONE"), "USBPRINT\\ONE"},
        {"blanks and tabs around fields", Inf("\"KORVEL KV-100\"\t=\tKV100 ,\t USBPRINT\\X \t, X"), "USBPRINT\\X"},
        {"an indented line", Inf("   \t" + kv100 + "USBPRINT\\IN"), "USBPRINT\\IN"},
        {"a comment after the ID", Inf(kv100 + "USBPRINT\\C ; the USB line, KV-100"), "USBPRINT\\C"},
        {"the description a %token%", Inf("%KV100% = KV100, USBPRINT\\T", "KV100=\"KORVEL KV-100\"\r\n"),
         "USBPRINT\\T"},
        {"the ID a %token%", Inf(kv100 + "%ID%", "ID=USBPRINT\\FROMSTRINGS\r\n"), "USBPRINT\\FROMSTRINGS"},
        {"an unknown token stays", Inf(kv100 + "USBPRINT\\%NONE%"), "USBPRINT\\%NONE%"},
        {"a quoted ID keeps its comma and semicolon", Inf(kv100 + "\"USBPRINT\\A,B;C\", X"), "USBPRINT\\A,B;C"},
        {"a line continued with a backslash", Inf("\"KORVEL KV-100\" = KV100, \\\r\n    USBPRINT\\CONT"),
         "USBPRINT\\CONT"},
        {"the first USB line of the model", Inf(kv100 + "LPTENUM\\L, L\r\n" + kv100 + "USBPRINT\\U\r\n" + kv100 +
                                                "USBPRINT\\SECOND"), "USBPRINT\\U"},
        {"the closing quote keeps longer names apart",
         Inf("\"KORVEL KV-1000\" = A, USBPRINT\\K1000\r\n" + kv100 + "USBPRINT\\K100"), "USBPRINT\\K100"},
        {"an empty ID is the line's", Inf(kv100 + " , USBPRINT\\X"), ""},
        {"UTF-16LE with its byte-order mark", Utf16LeWithBom(Inf(kv100 + "USBPRINT\\WIDE")), "USBPRINT\\WIDE"},
        {"Ctrl+Z ends the file", Inf("\x1A" + kv100 + "USBPRINT\\AFTER"), std::nullopt},
        {"no line of the name: written in lower case", Inf("\"korvel kv-100\" = A, USBPRINT\\L"), std::nullopt},
        {"no USB line", Inf(kv100 + "LPTENUM\\KORVELKV-1001A2B, X"), std::nullopt},
        {"a line outside the models section", "[Version]\r\n[KORVEL]\r\n" + kv100 + "USBPRINT\\X\r\n", std::nullopt},
        {"a section name without its bracket", Inf(kv100 + "USBPRINT\\X") + "[Broken\r\n", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(Id(c.inf), c.id) << c.what;
}

TEST_F(FindHardwareIdInInfTest, OnlyAnAsciiIdReachesEightBitText) {
    EXPECT_EQ(Find(Utf16LeWithBom(Inf("\"KORVEL 啊\" = A, USB\\GBK, X")), u"\"KORVEL 啊\""), 1);
    EXPECT_EQ(std::string(id), "USB\\GBK");
    EXPECT_EQ(Find(Utf16LeWithBom(Inf("\"KORVEL 啊\" = A, USB\\啊, X")), u"\"KORVEL 啊\""), 0);
    EXPECT_EQ(Find(Inf("\"KORVEL 啊\" = A, USB\\\xB0\xA1, X"), u"\"KORVEL 啊\""), 0);  // GBK
}

TEST_F(FindHardwareIdInInfTest, LengthAsPassedIn) {
    // Only the first `length` characters are compared; a length beyond the name never matches.
    const std::string inf = Inf("\"KORVEL KV-1000\" = A, USBPRINT\\K1000\r\n\"KORVEL KV-100\" = A, USBPRINT\\K100");
    EXPECT_EQ(Find(inf, u"\"Korvel KV-100\"", 11), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\K1000");
    EXPECT_EQ(Find(inf, u"\"KORVEL KV-100\"", 40), 0);
    EXPECT_EQ(Find(inf, u"\"KORVEL KV-100\"", -3), 0);
}

TEST_F(FindHardwareIdInInfTest, IdThatDoesNotFitItsBufferRefusesTheLine) {
    std::string inf = Inf("\"KORVEL KV-100\" = A,USB" + std::string(1021, 'U') + ",X\r\n" +
                          "\"KORVEL KV-100\" = A,USB" + std::string(1020, 'U') + ",X");
    EXPECT_EQ(Find(inf, u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::strlen(id), 1023u);
}

// The models section follows the Windows version RtlGetVersion gives, the Strings section
// the system locale's language (the choices themselves: tests/unit/inf/).
TEST_F(FindHardwareIdInInfTest, TheSectionsOfTheRunningWindows) {
    struct FixedVersion final : platform::SystemVersion {
        bool known = true;
        bool RtlGetVersion(platform::OsVersion* version) override {
            if (known) *version = {10, 0, 19045, 0x100, 1};
            return known;
        }
        platform::LangId GetSystemDefaultLangID() override { return 0x0804; }
        platform::ScopedService<platform::SystemVersion> scope{*this};
    } system;
    const std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\n"
                            "KORVEL=KORVEL,NTamd64,NTamd64.10.0,NTx86,NTx86.10.0...14393\r\n"
                            "[KORVEL.NTamd64]\r\n%KV100% = A, USBPRINT\\OLD\r\n"
                            "[KORVEL.NTamd64.10.0]\r\n%KV100% = A, USBPRINT\\TEN\r\n"
                            "[KORVEL.NTx86]\r\n%KV100% = A, USBPRINT\\OLD\r\n"
                            "[KORVEL.NTx86.10.0...14393]\r\n%KV100% = A, USBPRINT\\TEN\r\n"
                            "[Strings]\r\nKV100=\"KV-100\"\r\n[Strings.0804]\r\nKV100=\"KORVEL KV-100\"\r\n";
    EXPECT_EQ(Find(inf, u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\TEN");
    system.known = false;  // no version: no versioned section applies
    EXPECT_EQ(Find(inf, u"\"KORVEL KV-100\""), 1);
    EXPECT_EQ(std::string(id), "USBPRINT\\OLD");
}

TEST_F(FindHardwareIdInInfTest, FilesThatGiveNoIdSayWhy) {
    const std::string kv100 = "\"KORVEL KV-100\" = A, USBPRINT\\X";
    auto reason = [this](const std::string* inf, const char16_t* path = u"PrinterDriver\\24pin\\OEMPRINT.INF") {
        if (inf) dir.Write("PrinterDriver/24pin/OEMPRINT.INF", *inf);
        return engine::HardwareIdInInf((dir.ProgramDir() + path).c_str(), u"\"KORVEL KV-100\"", 15, {}).lookup;
    };
    const std::string over = Inf(kv100) + std::string(engine::kMaxInfBytes + 1 - Inf(kv100).size(), ';');
    const std::string fits = Inf(kv100);
    const std::string broken = "[Version\r\n" + Inf(kv100);
    const std::string none = Inf("\"KORVEL KV-200\" = A, USBPRINT\\X");
    EXPECT_EQ(reason(&fits), engine::InfLookup::Found);
    EXPECT_EQ(reason(&over), engine::InfLookup::TooLarge);
    EXPECT_EQ(reason(&broken), engine::InfLookup::NotAnInf);
    EXPECT_EQ(reason(&none), engine::InfLookup::NoModelLine);
    EXPECT_EQ(reason(nullptr, u"PrinterDriver\\9pin\\OEMPRINT.INF"), engine::InfLookup::Unreadable);
    EXPECT_EQ(reason(nullptr, u"PrinterDriver"), engine::InfLookup::Unreadable);  // a folder
    EXPECT_EQ(Find(over, u"\"KORVEL KV-100\""), 0);
    EXPECT_EQ(std::string(id), "");
}

}  // namespace
