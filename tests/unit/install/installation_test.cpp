// Driver installation with the shell, the spooler, the catalogue, the attached printer
// and the plug-and-play update replaced by fakes: the command lines given to rundll32,
// the messages of a failed start, the choice of route, and the refusal of values that
// would leave their quotes.
#include "engine/install/installation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/install/installation_flow.h"
#include "engine/medium/preparation.h"
#include "engine/printer_installer.h"
#include "engine/install/rundll32.h"
#include "platform/codepage.h"
#include "platform/pnp_update.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tests/support/fake_account.h"
#include "tests/support/fake_devices.h"
#include "tests/support/fake_module.h"
#include "tests/support/fake_pnp_update.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fake_shell.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/log_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

using platform::Dword;

// A catalogue in memory: sections of lines, looked up as the profile reader does
// (section and key names without regard to case).
class FakeCatalogue final : public platform::Profile {
public:
    std::map<std::u16string, std::vector<std::u16string>> sections;

    Dword GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                   char16_t* buffer, Dword size, const char16_t*) override {
        if (const auto* lines = Find(section)) {
            for (const auto& line : *lines) {
                std::size_t equals = line.find(u'=');
                if (equals == std::u16string::npos) continue;
                if (text::EqualNoCase(line.substr(0, equals).c_str(), key)) {
                    text::Copy(buffer, size, line.c_str() + equals + 1);
                    return static_cast<Dword>(text::Length(buffer));
                }
            }
        }
        text::Copy(buffer, size, defaultValue ? defaultValue : u"");
        return static_cast<Dword>(text::Length(buffer));
    }
    Dword GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                    const char16_t*) override {
        std::u16string all;
        if (const auto* lines = Find(section)) {
            for (const auto& line : *lines) all += line + u'\0';
        }
        if (all.size() + 1 > size) return size - 2;
        std::copy(all.begin(), all.end(), buffer);
        buffer[all.size()] = 0;
        if (all.empty() && size > 1) buffer[1] = 0;
        return static_cast<Dword>(all.empty() ? 0 : all.size());
    }

private:
    const std::vector<std::u16string>* Find(const char16_t* section) const {
        for (const auto& [name, lines] : sections) {
            if (text::EqualNoCase(name.c_str(), section)) return &lines;
        }
        return nullptr;
    }
    platform::ScopedService<platform::Profile> scope_{*this};
};

// 8-bit text widened byte by byte: the conversion's arguments are what counts here.
struct RecordingCodePage final : platform::CodePage {
    std::vector<Dword> codePages;
    int MultiByteToWideChar(Dword codePage, Dword, const char* src, int srcLength, char16_t* dst,
                            int dstCapacity) override {
        codePages.push_back(codePage);
        if (srcLength <= 0 || srcLength > dstCapacity) return 0;
        for (int i = 0; i < srcLength; ++i) dst[i] = static_cast<unsigned char>(src[i]);
        return srcLength;
    }
    platform::ScopedService<platform::CodePage> scope{*this};
};

const std::u16string kModelLines =
    u"\"KORVEL KV-100\" = KV100.LPT, LPTENUM\\KORVELKV-100\r\n"
    u"\"KORVEL KV-100\" = KV100, USBPRINT\\KORVELKV-1001A2B, KORVELKV-1001A2B\r\n"
    u"\"KORVEL KV-200\" = KV200, USBPRINT\\KORVELKV-2003C4D\r\n";
const std::u16string kInfLines = u"[Manufacturer]\r\nKORVEL=KORVEL,NTamd64,NTx86\r\n[KORVEL.NTamd64]\r\n" +
                                 kModelLines + u"[KORVEL.NTx86]\r\n" + kModelLines;

// Records the texts of failed rundll32 starts that a step or the installer reports.
struct StartFailures final : engine::FlowObserver {
    std::vector<std::u16string> texts;
    void OnStep(engine::FlowStep) override {}
    void OnStartFailure(engine::MessageId why) override { texts.push_back(engine::ShownText(why)); }
};

// The printer user-interface commands against a medium at C:\Setup\, a spooler that
// gains the printer an install line names, and a shell that records every start.
class PrintUi : public testing::Test {
protected:
    FakeModule module{u"C:\\Setup\\setup.exe"};
    FakeCatalogue catalogue;
    FakeSpooler spooler;
    FakeShell shell;
    RecordingMessageBoxes messages;
    RecordingTiming timing;
    CPrinterInstaller installer;
    StartFailures observer;
    engine::SetupLog log;
    engine::InstallRequest request;

    PrintUi() {
        catalogue.sections[u"PRINTER_TYPE"] = {u"Alpha=24", u"Beta=9"};
        shell.onStart = [this](const std::u16string& parameters) {
            if (parameters.find(u"/if /n \"Alpha\"") != std::u16string::npos) spooler.AddPrinter(u"Alpha");
        };
        installer.SetStartFailureObserver(&observer);
        installer.SetModelName(u"Alpha");
        installer.SetPortName(u"LPT1:");
        installer.SetDefaultFlag(1);
        installer.SetTestPageFlag(1);
        request = Prepared(u"Alpha", u"LPT1:");
    }
    static engine::InstallRequest Prepared(const char16_t* printer, const char16_t* port) {
        engine::InstallChoices choices;
        choices.port = port;
        return engine::PreparePrinter({u"C:\\Setup\\", u"C:\\Setup\\PrinterInfor.Inf"}, printer, choices, {}).request;
    }
    engine::InstallationSteps Steps() { return engine::InstallationSteps(request, observer, log); }
    std::u16string Started(std::size_t i = 0) const { return shell.starts.at(i).parameters; }
};

TEST_F(PrintUi, Rundll32IsStartedFromTheSystemDirectoryAndAwaited) {
    EXPECT_EQ(installer.RunRundll32(u"PRINTUI.DLL,PrintUIEntry /?"), 1);
    ASSERT_EQ(shell.starts.size(), 1u);
    const auto& start = shell.starts[0];
    EXPECT_EQ(start.file, u"C:\\Windows\\system32\\rundll32.exe");
    EXPECT_EQ(start.parameters, u"PRINTUI.DLL,PrintUIEntry /?");
    EXPECT_EQ(start.mask, 0x40u);
    EXPECT_EQ(start.window, nullptr);
    EXPECT_EQ(start.verb, u"open");
    EXPECT_EQ(start.directory, u"C:\\Windows\\system32") << "not the medium's folder";
    EXPECT_EQ(start.show, 1);
    EXPECT_EQ(shell.waits, std::vector<Dword>{120000});
    EXPECT_EQ(shell.processesOpen, 0) << "the process handle is closed";
    EXPECT_EQ(shell.badCloses, 0);
    EXPECT_TRUE(observer.texts.empty());

    // A start that gives no process has nothing to wait for or close.
    shell.giveProcess = false;
    shell.systemDirectory = u"D:\\";
    EXPECT_EQ(installer.RunRundll32(u"x"), 1);
    EXPECT_EQ(shell.starts[1].file, u"D:\\rundll32.exe");
    EXPECT_EQ(shell.starts[1].directory, u"D:\\");
    EXPECT_EQ(shell.waits.size(), 1u);
    EXPECT_EQ(shell.badCloses, 0);
}

TEST_F(PrintUi, AFailedStartTellsTheMessageOfItsErrorCode) {
    const std::vector<std::pair<Dword, std::u16string>> table = {
        {2, u"The specified file was not found."},
        {3, u"The specified path was not found."},
        {5, u"Access to the specified file is denied."},
        {8, u"There is not enough memory to perform the specified action."},
        {32, u"A sharing violation occurred."},
        {1155, u"There is no application associated with the given file name extension."},
        {1156, u"The Dynamic Data Exchange (DDE) transaction failed."},
        {1157, u"One of the library files necessary to run the application can't be found."},
        {1223,
         u"The function prompted the user for additional information, but the user canceled the request."},
        {1, u"Other error occurred."},
        {0, u"Other error occurred."},
        {1222, u"Other error occurred."},
    };
    shell.startFails = true;
    for (const auto& [error, message] : table) {
        shell.startError = error;
        observer.texts.clear();
        EXPECT_EQ(installer.RunRundll32(u"x"), 0);
        EXPECT_EQ(observer.texts, std::vector<std::u16string>{message}) << "error " << error;
    }
    EXPECT_TRUE(shell.waits.empty());
}

TEST_F(PrintUi, WithoutTheSystemDirectoryNothingIsStarted) {
    for (long result : {0L, 260L, 261L}) {
        shell.systemDirectoryResult = result;
        observer.texts.clear();
        EXPECT_EQ(installer.RunRundll32(u"x"), 0);
        EXPECT_EQ(observer.texts, std::vector<std::u16string>{u"The specified path was not found."});
    }
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(PrintUi, TheThreeCommandLines) {
    EXPECT_TRUE(Steps().InstallQueue());
    EXPECT_TRUE(Steps().MakeDefault());
    EXPECT_TRUE(Steps().PrintTestPage());
    ASSERT_EQ(shell.starts.size(), 3u);
    EXPECT_EQ(
        Started(0),
        u"PRINTUI.DLL,PrintUIEntry /if /n \"Alpha\" /f \"C:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF\" "
        u"/r \"LPT1:\" /m \"Alpha\" ");
    EXPECT_EQ(Started(1), u"PRINTUI.DLL,PrintUIEntry /y /q /n \"Alpha\"");
    EXPECT_EQ(Started(2), u"PRINTUI.DLL,PrintUIEntry /k /q /n \"Alpha\"");
}

TEST_F(PrintUi, TheLongestInstallLineFitsItsBuffer) {
    // Every field at its limit: a 259-character INF path, a model and a port of 199.
    std::u16string folder = u"C:\\" + std::u16string(259 - 32 - 4, u'd') + u"\\";
    ASSERT_EQ(folder.size() + 32, 259u);
    std::u16string model(199, u'M');
    std::u16string port(199, u'P');
    request.printerName = model;
    request.driverInf = folder + u"PrinterDriver\\24pin\\OEMPRINT.INF";
    request.port = port;

    Steps().InstallQueue();
    ASSERT_EQ(shell.starts.size(), 1u);
    std::u16string expected = u"PRINTUI.DLL,PrintUIEntry /if /n \"" + model + u"\" /f \"" + folder +
                              u"PrinterDriver\\24pin\\OEMPRINT.INF\" /r \"" + port + u"\" /m \"" + model +
                              u"\" ";
    EXPECT_EQ(expected.size(), 909u);
    EXPECT_EQ(Started(), expected);
}

TEST_F(PrintUi, InstallingChecksAtOnceThenEvery50MsForUpTo5s) {
    // Made by the entry point before rundll32 ended: no wait at all.
    EXPECT_TRUE(Steps().InstallQueue());
    EXPECT_TRUE(timing.sleeps.empty());

    // Still registering it: found at the third check after the first.
    shell.onStart = nullptr;
    FakeSpooler registering;
    int listings = 0;
    registering.onListing = [&] {
        if (++listings == 4) registering.AddPrinter(u"Alpha");
    };
    EXPECT_TRUE(Steps().InstallQueue());
    EXPECT_EQ(timing.sleeps, std::vector<Dword>(3, 50));

    // The entry point ran but made no printer; a copy of the model does not count.
    FakeSpooler onlyCopies;
    onlyCopies.AddPrinter(u"Alpha (2)");
    onlyCopies.AddPrinter(u"Alpha0");
    timing.sleeps.clear();
    EXPECT_FALSE(Steps().InstallQueue());
    EXPECT_EQ(timing.sleeps, std::vector<Dword>(100, 50));

    // rundll32 not started: no wait, no check, the message shown.
    timing.sleeps.clear();
    shell.startFails = true;
    shell.startError = 2;
    EXPECT_FALSE(Steps().InstallQueue());
    EXPECT_TRUE(timing.sleeps.empty());
    EXPECT_EQ(observer.texts, std::vector<std::u16string>{u"The specified file was not found."});
}

TEST_F(PrintUi, GivenNameAndPortReplaceTheSelection) {
    EXPECT_EQ(installer.InstallPrinter(u"Beta", u"USB001"), 0);
    EXPECT_EQ(U16(installer.modelName), u"Beta");
    EXPECT_EQ(U16(installer.portName), u"USB001");
    EXPECT_EQ(Started(),
              u"PRINTUI.DLL,PrintUIEntry /if /n \"Beta\" /f \"C:\\Setup\\PrinterDriver\\9pin\\OEMPRINT.INF\" "
              u"/r \"USB001\" /m \"Beta\" ");
    EXPECT_EQ(installer.SetDefaultPrinter(u"Gamma"), 1);
    EXPECT_EQ(Started(1), u"PRINTUI.DLL,PrintUIEntry /y /q /n \"Gamma\"");
    EXPECT_EQ(U16(installer.modelName), u"Gamma");

    // Values of 199 characters fit their fields; longer ones are refused.
    std::u16string fits(199, u'x');
    std::u16string tooLong(200, u'x');
    EXPECT_EQ(installer.PrintTestPage(fits.c_str()), 1);
    EXPECT_EQ(installer.InstallPrinter(tooLong.c_str()), 0);
    EXPECT_EQ(installer.InstallPrinter(nullptr, tooLong.c_str()), 0);
    EXPECT_EQ(installer.SetDefaultPrinter(tooLong.c_str()), 0);
    EXPECT_EQ(installer.PrintTestPage(tooLong.c_str()), 0);
    EXPECT_EQ(shell.starts.size(), 3u);
    EXPECT_EQ(U16(installer.modelName), fits);
    EXPECT_EQ(U16(installer.portName), u"USB001");
}

TEST_F(PrintUi, ClearFlagsStartNothing) {
    installer.SetDefaultFlag(0);
    installer.SetTestPageFlag(0);
    EXPECT_EQ(installer.SetDefaultPrinter(), 1);
    EXPECT_EQ(installer.PrintTestPage(u"Beta"), 1);
    EXPECT_EQ(installer.SetDefaultPrinter(u"Quoted\""), 1);
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_EQ(U16(installer.modelName), u"Alpha");

    // Set, a failed start is a failure.
    installer.SetDefaultFlag(1);
    shell.startFails = true;
    EXPECT_EQ(installer.SetDefaultPrinter(), 0);
}

TEST_F(PrintUi, ValuesThatWouldLeaveTheirQuotesAreRefused) {
    EXPECT_EQ(installer.InstallPrinter(u"Alpha\" /y /n \"Other"), 0);
    EXPECT_EQ(installer.InstallPrinter(nullptr, u"LPT1:\" /x"), 0);
    EXPECT_EQ(installer.InstallPrinter(u"Alpha\\"), 0);
    EXPECT_EQ(installer.SetDefaultPrinter(u"\""), 0);
    EXPECT_EQ(installer.PrintTestPage(u"A\"B"), 0);
    EXPECT_EQ(U16(installer.modelName), u"Alpha");
    EXPECT_EQ(U16(installer.portName), u"LPT1:");

    // A selection that already holds a quote.
    installer.SetPortName(u"LPT\"1");
    EXPECT_EQ(installer.InstallPrinter(), 0);
    installer.SetPortName(u"LPT1:");
    installer.SetModelName(u"Al\"pha");
    EXPECT_EQ(installer.SetDefaultPrinter(), 0);
    EXPECT_EQ(installer.PrintTestPage(), 0);

    // A model without a print-head type leaves the bare driver folder, whose closing
    // backslash would take the quote after it.
    installer.SetModelName(u"Unknown");
    EXPECT_EQ(installer.InstallPrinter(), 0);

    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(messages.shown.empty());
}

// The installation routes against a medium in a scratch folder with a driver INF, and
// an attached printer (or none) behind the device fakes.
class Routes : public testing::Test {
protected:
    TempDir dir;
    FakeModule module{dir.ProgramDir() + u"setup.exe"};
    FakeCatalogue catalogue;
    FakeSpooler spooler;
    FakeShell shell;
    RecordingMessageBoxes messages;
    RecordingTiming timing;
    RecordingCodePage codePage;
    RecordingPnpUpdate pnp;
    FakeDeviceInterfaces interfaces;
    FakeDeviceIo io;
    FakeRegistry registry;
    StartFailures observer;
    engine::SetupLog log;
    engine::InstallRequest request;

    Routes() {
        catalogue.sections[u"PRINTER_SERIES"] = {u"KV系列", u"B"};
        catalogue.sections[u"KV系列"] = {u"KV-100"};
        catalogue.sections[u"B"] = {u"KV-200"};
        catalogue.sections[u"PRINTER_NAME"] = {u"KV-100=KORVEL KV-100", u"KV-200=KORVEL KV-200"};
        catalogue.sections[u"PRINTER_TYPE"] = {u"KORVEL KV-100=24", u"KORVEL KV-200=24", u"KORVEL KV-300=24"};
        std::string inf;
        for (char16_t c : kInfLines) inf.push_back(static_cast<char>(c));
        dir.Write("PrinterDriver/24pin/OEMPRINT.INF", inf);
        shell.onStart = [this](const std::u16string&) { spooler.AddPrinter(request.printerName); };
        // The port monitor's values of the attached printer's interface: USB001.
        registry.AddInterface(u"##?#USB#VID_12AB&PID_34CD#0001", u"USB\\VID_12AB&PID_34CD\\0001", 1, 1);
        // Windows makes the queue of the updated device, named by the INF's description.
        pnp.onUpdate = [this] { spooler.AddPrinter(u"KORVEL KV-100", u"KORVEL KV-100", u"USB001"); };
        Choose(u"KORVEL KV-100");
    }
    void Choose(const char16_t* printer, const char16_t* port = u"USB001") {
        engine::InstallChoices choices;
        choices.port = port;
        const engine::MediumFiles medium{dir.ProgramDir(), dir.ProgramDir() + u"PrinterInfor.Inf"};
        request = engine::PreparePrinter(medium, printer, choices, engine::FindAttachedPrinters()).request;
    }
    engine::InstallationSteps Steps() { return engine::InstallationSteps(request, observer, log); }

    void AttachPrinter(const std::string& deviceId) {
        interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"};
        std::size_t length = deviceId.size() + 2;
        io.replyBytes =
            std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + deviceId;
        Choose(request.printerName.c_str(), request.port.c_str());  // prepared anew with the printer
    }
    std::u16string InfPath() const { return dir.ProgramDir() + u"PrinterDriver\\24pin\\OEMPRINT.INF"; }
};

TEST_F(Routes, ThePlugAndPlayRouteInstallsTheSelectedModelsHardwareId) {
    codePage.codePages.clear();  // the preparation read the INF
    EXPECT_TRUE(Steps().UpdateAttachedPrinter(u"USB001"));
    ASSERT_EQ(pnp.updates.size(), 1u);
    EXPECT_EQ(pnp.updates[0].hardwareId, u"USBPRINT\\KORVELKV-1001A2B");
    EXPECT_EQ(pnp.updates[0].infPath, InfPath());
    EXPECT_EQ(pnp.updates[0].flags, 1u);
    EXPECT_EQ(pnp.updates[0].window, nullptr) << "no window owns the program's boxes";
    EXPECT_TRUE(pnp.updates[0].rebootFlagGiven);
    // The INF's 8-bit text is read in the calling thread's ANSI code page (CP_THREAD_ACP).
    ASSERT_FALSE(codePage.codePages.empty());
    EXPECT_EQ(codePage.codePages, std::vector<Dword>(codePage.codePages.size(), 3));
}

TEST_F(Routes, WithoutAHardwareIdThereIsNoUpdate) {
    log.Open(dir.ProgramDir() + u"setup.log");
    Choose(u"KORVEL KV-300");  // has a type, but no line in the INF
    EXPECT_FALSE(Steps().UpdateAttachedPrinter(u"USB001"));
    Choose(u"KORVEL KV-900");  // no type: the driver folder, no INF
    EXPECT_FALSE(Steps().UpdateAttachedPrinter(u"USB001"));
    std::filesystem::remove(dir.path() / "PrinterDriver" / "24pin" / "OEMPRINT.INF");
    Choose(u"KORVEL KV-100");  // the INF is missing
    EXPECT_FALSE(Steps().UpdateAttachedPrinter(u"USB001"));
    EXPECT_TRUE(pnp.updates.empty());
    log.Close();

    std::ifstream file(dir.path() / "setup.log", std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_NE(text.find("\"KORVEL KV-300\": no USB model line of the printer in the models section"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"KORVEL KV-100\": the file cannot be read"), std::string::npos) << text;
}

TEST_F(Routes, NoAttachedPrinterTakesThePrinterUserInterfaceRouteWhateverThePort) {
    EXPECT_TRUE(Steps().InstallDriver());
    EXPECT_TRUE(pnp.updates.empty());
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(shell.starts[0].parameters, u"PRINTUI.DLL,PrintUIEntry /if /n \"KORVEL KV-100\" /f \"" +
                                              InfPath() + u"\" /r \"USB001\" /m \"KORVEL KV-100\" ");
}

// SetupCopyOEMInf checks the package (its catalog, its signature) and may ask about it,
// so it comes first on either route: a package it refuses (TRUST_E_NOSIGNATURE) leaves the
// old printer untouched.
TEST_F(Routes, APackageWindowsRefusesStopsTheInstallationBeforeTheRemoval) {
    struct Refusals final : engine::FlowObserver {
        std::vector<Dword> errors;
        void OnStep(engine::FlowStep) override {}
        void OnStartFailure(engine::MessageId) override { ADD_FAILURE(); }
        void OnPackageNotStaged(Dword error) override { errors.push_back(error); }
    } refusals;
    spooler.AddPrinter(u"KORVEL KV-100");
    pnp.stagingError = 0x800B0100;
    for (bool attached : {false, true}) {
        if (attached) AttachPrinter("MFG:KORVEL;MDL:KV-100;");
        EXPECT_EQ(engine::RunInstallation(request, refusals, log), engine::FlowResult::Failed);
    }
    EXPECT_EQ(pnp.staged, (std::vector<std::u16string>{InfPath(), InfPath()}));
    EXPECT_EQ(refusals.errors, (std::vector<Dword>{0x800B0100, 0x800B0100}));
    EXPECT_TRUE(spooler.calls.empty()) << spooler.calls.front();
    EXPECT_TRUE(pnp.updates.empty());
    EXPECT_TRUE(shell.starts.empty());
}

// The default printer is kept per user; LocalSystem's (S-1-5-18, "Well-known SIDs") is
// seen by no one, so a run as LocalSystem sets none and says why.
TEST_F(Routes, NoDefaultPrinterIsSetAsLocalSystem) {
    FakeAccount account;
    const struct {
        const char16_t* sid;
        Dword error;
        bool makeDefault;
        bool defaultSet;
        const char* logged;
    } table[] = {
        {u"S-1-5-21-1004336348-1177238915-682003330-500", 0, true, true, nullptr},
        {u"S-1-5-18", 0, true, false, "the program runs as LocalSystem (S-1-5-18)"},
        {u"S-1-5-19", 0, true, true, nullptr},  // LocalService is another account
        {u"S-1-5-18", 0, false, false, nullptr},
        {u"", 5, true, true, "The account the program runs as cannot be told"},
    };
    int rows = 0;
    for (const auto& row : table) {
        account.sid = row.sid;
        account.error = row.error;
        request.makeDefault = row.makeDefault;
        shell.starts.clear();
        const std::string name = "row" + std::to_string(++rows) + ".log";
        engine::SetupLog rowLog;
        rowLog.Open(dir.ProgramDir() + text::FromUtf8(name));
        EXPECT_EQ(engine::RunInstallation(request, observer, rowLog), engine::FlowResult::Done);
        rowLog.Close();
        std::ifstream file(dir.path() / name, std::ios::binary);
        const std::string text(std::istreambuf_iterator<char>(file), {});
        bool defaultSet = false;
        for (const auto& start : shell.starts)
            defaultSet |= start.parameters.find(u"/y") != std::u16string::npos;
        EXPECT_EQ(defaultSet, row.defaultSet) << Utf8(row.sid);
        if (row.logged) {
            EXPECT_NE(text.find(row.logged), std::string::npos) << text;
        }
    }
}

// With several printers attached, the one that counts is an attached printer of the
// chosen model, on its own port; the port page proposes those ports.
TEST_F(Routes, ThePlugAndPlayRouteOnlyForAnAttachedPrinterOfTheChosenModelOnItsUsbPort) {
    using engine::InstallRoute;
    const engine::Catalogue entries(dir.ProgramDir() + u"PrinterInfor.Inf");
    const engine::AttachedPrinter kv100{u"KV-100", u"USB001"}, second{u"KV-100", u"USB002"};
    const engine::AttachedPrinter kv200{u"KV-200", u"USB001"}, receipt{u"TM-T20", u"USB001"};
    struct Case {
        std::vector<engine::AttachedPrinter> attached;
        const char16_t* port;  // empty: none chosen (/port absent)
        InstallRoute route;
        const char* reason;
        const char16_t* proposed = u"USB001";  // the ports the port page proposes, joined by blanks
    } cases[] = {
        {{kv100}, u"USB001", InstallRoute::PlugAndPlay,
         "the attached printer is the chosen \"KV-100\" on its USB port \"USB001\""},
        {{kv100}, u"", InstallRoute::PlugAndPlay, "on its USB port"},
        {{kv100}, u"usb001", InstallRoute::PlugAndPlay, "on its USB port"},  // port names in any case
        {{kv100}, u"LPT1:", InstallRoute::PrinterInterface,
         "the chosen port \"LPT1:\" is not the USB port \"USB001\" of the attached \"KV-100\""},
        {{{u"KV-100", u""}}, u"", InstallRoute::PrinterInterface, "the USB port of the attached \"KV-100\" was not found",
         u""},
        {{kv200}, u"USB001", InstallRoute::PrinterInterface,
         "the attached printer is a \"KV-200\", not the chosen \"KORVEL KV-100\"", u""},
        {{kv200}, u"LPT1:", InstallRoute::PrinterInterface, "not the chosen", u""},
        {{{u"KV-999", u"USB001"}}, u"USB001", InstallRoute::PrinterInterface,
         "the attached printer's model \"KV-999\" is not in the catalogue"},
        {{{u"kv-100", u"USB001"}}, u"USB001", InstallRoute::PrinterInterface, "not in the catalogue"},
        {{{u"", u"USB001"}}, u"USB001", InstallRoute::PrinterInterface, "not in the catalogue"},
        {{}, u"USB001", InstallRoute::PrinterInterface, "no USB printer is attached", u""},
        {{receipt, second}, u"", InstallRoute::PlugAndPlay, "the chosen \"KV-100\" on its USB port \"USB002\"",
         u"USB002"},
        {{kv100, second}, u"USB002", InstallRoute::PlugAndPlay, "on its USB port \"USB002\"", u"USB001 USB002"},
        {{receipt, {u"KV-200", u"USB002"}}, u"", InstallRoute::PrinterInterface, "\"TM-T20\" is not in the catalogue"},
    };
    for (const Case& c : cases) {
        std::string what = "[" + Utf8(c.port) + "]";
        for (const auto& printer : c.attached) what += " " + Utf8(printer.model.c_str());
        const engine::AttachedPrinters attached{c.attached, false};
        engine::RouteChoice choice = engine::ChooseInstallRoute(attached, entries, u"KORVEL KV-100", c.port);
        EXPECT_EQ(choice.route, c.route) << what;
        EXPECT_NE(Utf8(choice.reason.c_str()).find(c.reason), std::string::npos)
            << what << ": " << Utf8(choice.reason.c_str());
        std::u16string proposed;
        for (const auto& port : engine::ProposedPorts(attached, entries, u"KORVEL KV-100"))
            proposed += (proposed.empty() ? u"" : u" ") + port;
        EXPECT_EQ(proposed, c.proposed) << what;
    }
}

// Windows makes the queue of a plug-and-play printer after the update, possibly after the
// call returned. EnumPrinters' PRINTER_INFO_2 gives each printer's ports, several of them
// separated by commas; printer names are compared without regard to case.
// Windows keeps one queue per plug-and-play printer: the update makes it or gives the
// queue the device has the new driver ("Print queues", PRINTER_INFO_2's pPortName and
// pDriverName); either counts once it is on the port with the model's driver.
TEST_F(Routes, AfterTheUpdateTheQueueOnTheUsbPortWithTheDriverIsAwaitedEvery250MsForUpTo30s) {
    struct Case {
        const char* what;
        int listing;  // the spooler listing before which it appears: 1 is before the update
        const char16_t* name;
        const char16_t* ports;
        bool found;
        std::size_t sleeps;
        const char16_t* driver = u"korvel kv-100";
    } cases[] = {
        {"at once", 2, u"KORVEL KV-100", u"USB001", true, 0},
        {"after 3 polls", 5, u"KORVEL KV-100", u"USB001", true, 3},
        {"at the last poll", 122, u"KORVEL KV-100", u"USB001", true, 120},
        {"never", 0, u"", u"", false, 120},
        {"on another port", 2, u"KORVEL KV-100", u"LPT1:", false, 120},
        {"among its ports", 2, u"KORVEL KV-100 (Copy 1)", u"LPT1:,usb001", true, 0},
        {"there before the update, renamed", 1, u"Invoices", u"USB001", true, 0},
        {"with another driver", 2, u"KORVEL KV-100", u"USB001", false, 120, u"KORVEL KV-1000"},
    };
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    pnp.onUpdate = nullptr;
    for (const Case& c : cases) {
        FakeSpooler printers;
        RecordingTiming waits;
        int listings = 0;
        printers.onListing = [&] {
            if (++listings == c.listing) printers.AddPrinter(c.name, c.driver, c.ports);
        };
        engine::InstallationSteps steps = Steps();
        EXPECT_EQ(steps.UpdateAttachedPrinter(u"USB001"), c.found) << c.what;
        EXPECT_EQ(waits.sleeps, std::vector<Dword>(c.sleeps, 250)) << c.what;
        EXPECT_EQ(steps.PrinterName(), c.found ? std::u16string(c.name) : u"KORVEL KV-100") << c.what;
    }
}

TEST_F(Routes, TheQueueWindowsMadeIsTheOneMadeTheDefaultAndGivenTheTestPage) {
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    log.Open(dir.ProgramDir() + u"setup.log");
    request.testPage = true;
    pnp.onUpdate = [this] { spooler.AddPrinter(u"KORVEL KV-100 (Copy 1)", u"KORVEL KV-100", u"USB001"); };
    EXPECT_EQ(engine::RunInstallation(request, observer, log), engine::FlowResult::Done);
    ASSERT_EQ(shell.starts.size(), 2u);
    EXPECT_EQ(shell.starts[0].parameters, u"PRINTUI.DLL,PrintUIEntry /y /q /n \"KORVEL KV-100 (Copy 1)\"");
    EXPECT_EQ(shell.starts[1].parameters, u"PRINTUI.DLL,PrintUIEntry /k /q /n \"KORVEL KV-100 (Copy 1)\"");

    // No queue: a failure, and nothing made the default.
    FakeSpooler noQueue;
    EXPECT_EQ(engine::RunInstallation(request, observer, log), engine::FlowResult::Failed);
    EXPECT_EQ(shell.starts.size(), 2u);
    log.Close();
    std::ifstream file(dir.path() / "setup.log", std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_NE(text.find("The plug-and-play route: the attached printer is the chosen \"KV-100\""),
              std::string::npos);
    EXPECT_NE(text.find("Windows made the printer \"KORVEL KV-100 (Copy 1)\" on the port \"USB001\""),
              std::string::npos);
    EXPECT_NE(text.find("No printer on the port \"USB001\" has the driver \"KORVEL KV-100\" within 30 s"),
              std::string::npos)
        << text;
}

// /update keeps the printers on the model's driver and installs the driver from the
// staged copy ("InstallPrinterDriverFromPackage function": the INF's driver-store path, the
// driver's name, IPDFP_COPY_ALL_FILES; S_OK or an HRESULT). Without the call (Wine), the
// printer interface's /ia: quiet_mode.
TEST_F(Routes, AnUpdateKeepsThePrintersOnTheModelsDriverAndInstallsItFromItsPackage) {
    spooler.AddPrinter(u"Invoices", u"korvel kv-100", u"LPT2:");
    request.update = true;
    for (Dword result : {0u, 0x80070002u}) {
        spooler.packageResult = result;
        spooler.calls.clear();
        EXPECT_EQ(engine::RunInstallation(request, observer, log),
                  result == 0 ? engine::FlowResult::Done : engine::FlowResult::Failed);
        ASSERT_EQ(spooler.calls.size(), 3u) << "listed once, nothing deleted: " << spooler.calls.back();
        EXPECT_EQ(spooler.calls[2], "InstallFromPackage C:\\Windows\\INF\\oem7.inf KORVEL KV-100 server=none "
                                    "environment=given flags=1");
    }
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(spooler.HasPrinter(u"Invoices"));
}

TEST_F(Routes, AFailedPlugAndPlayUpdateIsFinal) {
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    pnp.succeeds = false;
    EXPECT_FALSE(Steps().InstallDriver());
    EXPECT_EQ(pnp.updates.size(), 1u);
    EXPECT_TRUE(shell.starts.empty());
}

// UpdateDriverForPlugAndPlayDevices: "RebootRequired ... set to TRUE if a system restart
// is required"; INSTALLFLAG_NONINTERACTIVE makes it fail rather than show anything.
TEST_F(Routes, TheFlowPassesOnARestartAndAsksNothingWhenQuiet) {
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    struct NoSteps final : engine::FlowObserver {
        void OnStep(engine::FlowStep) override {}
        void OnStartFailure(engine::MessageId) override { ADD_FAILURE(); }
    } observer;
    engine::SetupLog closed;
    request.makeDefault = false;
    pnp.rebootRequired = true;
    for (bool quiet : {false, true}) {
        request.quiet = quiet;
        EXPECT_EQ(engine::RunInstallation(request, observer, closed), engine::FlowResult::DoneRestartRequired);
    }
    ASSERT_EQ(pnp.updates.size(), 2u);
    EXPECT_EQ(pnp.updates[0].flags, 1u);
    EXPECT_EQ(pnp.updates[1].flags, 5u);

    // Interactive, what the update shows belongs to the window that owns the boxes (the
    // wizard's frame, hwndParent); quiet, to none.
    int frame = 0;
    platform::SetOwnerForUnowned(&frame);
    for (bool quiet : {false, true}) {
        request.quiet = quiet;
        engine::RunInstallation(request, observer, closed);
    }
    platform::SetOwnerForUnowned(nullptr);
    EXPECT_EQ(pnp.updates[2].window, &frame);
    EXPECT_EQ(pnp.updates[3].window, nullptr);

    // The queue may come only with the restart: the update is done, with nothing to make
    // the default yet.
    FakeSpooler noQueueYet;
    request.makeDefault = true;
    EXPECT_EQ(engine::RunInstallation(request, observer, closed), engine::FlowResult::DoneRestartRequired);
    pnp.succeeds = false;
    EXPECT_EQ(engine::RunInstallation(request, observer, closed), engine::FlowResult::Failed);
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(Routes, TheFlowLogsTheErrorOfTheCallThatFailed) {
    log.Open(dir.ProgramDir() + u"setup.log");
    request.makeDefault = false;
    pnp.stagingError = platform::kErrorFileNotFound;
    EXPECT_EQ(engine::RunInstallation(request, observer, log), engine::FlowResult::Failed);
    pnp.stagingError = 0;
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    pnp.succeeds = false;
    EXPECT_EQ(engine::RunInstallation(request, observer, log), engine::FlowResult::Failed);
    log.Close();

    std::ifstream file(dir.path() / "setup.log", std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_TRUE(LogsError(text, "Windows did not take the driver package", "2")) << text;
    EXPECT_TRUE(LogsError(text, "The plug-and-play update failed", "0xE000020B")) << text;
}

// The device and its event come from the device fakes, the process from the shell: each
// is waited for and closed where it came from, whichever fake was installed last.
TEST_F(Routes, TheDeviceAndTheStartedProcessAreBothClosed) {
    AttachPrinter("MFG:OTHER;MDL:X-1;");
    EXPECT_TRUE(Steps().InstallDriver());
    ASSERT_EQ(shell.starts.size(), 1u);
    EXPECT_EQ(shell.waits, std::vector<Dword>{120000});
    EXPECT_EQ(shell.processesOpen, 0);
    EXPECT_EQ(shell.badCloses, 0);
    EXPECT_TRUE(io.openDevices.empty());
    EXPECT_TRUE(io.openEvents.empty());
    EXPECT_EQ(io.badCloses, 0);
}

}  // namespace
