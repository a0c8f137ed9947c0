// The printer user-interface commands against the real rundll32 of the test's own Wine
// prefix, with the test's printui.dll loaded in place of the system's: the command
// lines that reach the entry point, the printer it creates and the default printer.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/printer_installer.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "tests/support/fake_module.h"
#include "tests/support/fake_shell.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"
#include "tests/win/spooler_fixture.h"
#include "wizard/message_boxes.h"

namespace {

using namespace spooler_fixture;

const char16_t kModel[] = u"KORVEL KV-100";

std::wstring SystemDirectory() {
    wchar_t directory[MAX_PATH] = {};
    GetSystemDirectoryW(directory, MAX_PATH);
    return directory;
}

// The stub's path from the build, as a Windows path: a Unix path is reached through
// Wine's drive Z:, which maps the Unix root.
std::wstring StubPath() {
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TAMRIN_PRINTUI_STUB", value, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring path(value, n);
    if (path[0] == L'/') path = L"Z:" + path;
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

void AddToEnvironment(const wchar_t* name, const std::wstring& addition) {
    wchar_t value[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    std::wstring combined = n > 0 && n < 1024 ? std::wstring(value, n) + L";" + addition : addition;
    SetEnvironmentVariableW(name, combined.c_str());
}

class PrintUiEntry : public testing::Test {
protected:
    TempDir medium;
    FakeModule module{medium.ProgramDir() + u"setup.exe"};
    std::filesystem::path log = medium.path() / "printui-calls.log";
    std::u16string infPath = medium.ProgramDir() + u"PrinterDriver\\24pin\\OEMPRINT.INF";

    static void SetUpTestSuite() {
        // rundll32 looks for PRINTUI.DLL in the system directory first; Wine takes the file for
        // the real library when told to load it native. Wine's file, shared with other prefixes, goes.
        std::wstring stub = StubPath(), target = SystemDirectory() + L"\\printui.dll";
        ASSERT_FALSE(stub.empty()) << "TAMRIN_PRINTUI_STUB names the test's printui.dll";
        DeleteFileW(target.c_str());
        ASSERT_TRUE(CopyFileW(stub.c_str(), target.c_str(), FALSE)) << GetLastError();
        AddToEnvironment(L"WINEDLLOVERRIDES", L"printui=n");
    }

    void SetUp() override {
        RemoveAllPrinters();
        medium.Write("PrinterInfor.Inf", Utf16LeWithBom("[PRINTER_TYPE]\r\nKORVEL KV-100=24\r\n"));
        medium.Write("PrinterDriver/24pin/OEMPRINT.INF",
                     "[KORVEL]\r\n\"KORVEL KV-100\" = KV100, USBPRINT\\KORVELKV-1001A2B\r\n");
        SetEnvironmentVariableW(L"TAMRIN_PRINTUI_LOG", Wide(ProgramPath(log)).c_str());
        SetEnvironmentVariableW(L"TAMRIN_PRINTUI_FAIL", nullptr);
    }
    void TearDown() override { RemoveAllPrinters(); }

    std::vector<std::string> RecordedLines() const {
        std::ifstream in(log, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string Utf8(const std::u16string& s) const { return text::ToUtf8(s); }
};

TEST_F(PrintUiEntry, InstallMakeDefaultAndPrintATestPage) {
    CPrinterInstaller installer;
    installer.SetModelName(kModel);
    installer.SetPortName(u"LPT1:");
    installer.SetDefaultFlag(1);
    installer.SetTestPageFlag(1);

    EXPECT_EQ(installer.InstallPrinter(), 1);
    EXPECT_TRUE(HasPrinter(L"KORVEL KV-100"));
    EXPECT_EQ(installer.SetDefaultPrinter(), 1);
    EXPECT_EQ(installer.PrintTestPage(), 1);

    // The entry point gets the text after "PRINTUI.DLL,PrintUIEntry ", to the install
    // line's closing blank.
    EXPECT_EQ(RecordedLines(),
              (std::vector<std::string>{
                  "/if /n \"KORVEL KV-100\" /f \"" + Utf8(infPath) + "\" /r \"LPT1:\" /m \"KORVEL KV-100\" ",
                  "/y /q /n \"KORVEL KV-100\"",
                  "/k /q /n \"KORVEL KV-100\"",
              }));
    wchar_t defaultPrinter[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(GetDefaultPrinterW(defaultPrinter, &size));
    EXPECT_EQ(std::wstring(defaultPrinter), L"KORVEL KV-100");
}

TEST_F(PrintUiEntry, AnEntryPointThatInstallsNothingFailsTheInstallation) {
    SetEnvironmentVariableW(L"TAMRIN_PRINTUI_FAIL", L"1");
    CPrinterInstaller installer;
    installer.SetModelName(kModel);
    installer.SetPortName(u"LPT1:");
    EXPECT_EQ(installer.InstallPrinter(), 0);
    EXPECT_EQ(RecordedLines().size(), 1u);
    EXPECT_FALSE(HasPrinter(L"KORVEL KV-100"));
}

TEST_F(PrintUiEntry, Rundll32ThatCannotBeStartedIsReported) {
    std::wstring rundll32 = SystemDirectory() + L"\\rundll32.exe";
    std::wstring hidden = rundll32 + L".hidden";
    ASSERT_TRUE(MoveFileW(rundll32.c_str(), hidden.c_str())) << GetLastError();
    struct Restore {
        std::wstring from, to;
        ~Restore() { MoveFileW(from.c_str(), to.c_str()); }
    } restore{hidden, rundll32};

    // The error code the platform reports for this start, read through the forwarder.
    auto& shell = platform::Get<platform::Shell>();
    std::u16string program(rundll32.begin(), rundll32.end());
    platform::ShellExecuteInfo start;
    start.mask = platform::kSeeMaskNoCloseProcess;
    start.verb = u"open";
    start.file = program.c_str();
    start.parameters = u"x";
    start.show = platform::kShowNormal;
    platform::Result<platform::Bool> started = shell.ShellExecuteExW(&start);
    ASSERT_FALSE(started.ok());
    platform::Dword error = started.error;
    const char16_t* expected = error == 2   ? u"The specified file was not found."
                               : error == 3 ? u"The specified path was not found."
                               : error == 5 ? u"Access to the specified file is denied."
                                            : u"Other error occurred.";

    RecordingMessageBoxes messages;
    StartFailureBoxes boxes;
    CPrinterInstaller installer;
    installer.SetStartFailureObserver(&boxes);
    installer.SetModelName(kModel);
    installer.SetDefaultFlag(1);
    EXPECT_EQ(installer.SetDefaultPrinter(), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, expected) << "error " << error;
    EXPECT_EQ(messages.shown[0].caption, u"ERROR");
    EXPECT_TRUE(RecordedLines().empty());
}

}  // namespace
