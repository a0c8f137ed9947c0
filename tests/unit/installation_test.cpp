// Driver installation with the shell, the spooler, the catalogue, the attached printer
// and the plug-and-play update replaced by fakes: the command lines given to rundll32,
// the messages of a failed start, the choice of route, and the refusal of values that
// would leave their quotes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/installation_flow.h"
#include "engine/preparation.h"
#include "engine/printer_installer.h"
#include "engine/rundll32.h"
#include "platform/codepage.h"
#include "platform/pnp_update.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "tests/support/fake_devices.h"
#include "tests/support/log_text.h"
#include "tests/support/fake_module.h"
#include "tests/support/fake_shell.h"
#include "tests/support/fake_spooler.h"
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

// The update and the staging, failing as their documentation says: the update with
// ERROR_NO_SUCH_DEVINST when no present device has the hardware ID, the staging with
// ERROR_FILE_NOT_FOUND when the INF cannot be read.
struct RecordingPnpUpdate final : platform::PnpUpdate {
    static constexpr Dword kErrorNoSuchDevinst = 0xE000020B;
    struct Update {
        platform::Handle window;
        std::u16string hardwareId, infPath;
        Dword flags;
        bool rebootFlagGiven;
    };
    bool succeeds = true;
    std::vector<Update> updates;
    platform::Result<platform::Bool> UpdateDriverForPlugAndPlayDevicesW(platform::Handle window,
                                                                        const char16_t* hardwareId,
                                                                        const char16_t* infPath, Dword flags,
                                                                        platform::Bool* reboot) override {
        updates.push_back({window, hardwareId, infPath, flags, reboot != nullptr});
        if (!succeeds) return {0, kErrorNoSuchDevinst};
        if (reboot) *reboot = 1;
        return {1};
    }
    // Staging, as SetupCopyOEMInfW: the INF given with SPOST_PATH and no copy style.
    bool stagingSucceeds = true;
    std::vector<std::u16string> staged;
    platform::Result<platform::Bool> SetupCopyOEMInfW(const char16_t* sourceInf,
                                                      const char16_t* mediaLocation, Dword mediaType,
                                                      Dword copyStyle, char16_t*, Dword, Dword*) override {
        EXPECT_EQ(mediaLocation, nullptr);
        EXPECT_EQ(mediaType, 1u);
        EXPECT_EQ(copyStyle, 0u);
        staged.push_back(sourceInf);
        if (!stagingSucceeds) return {0, platform::kErrorFileNotFound};
        return {1};
    }
    platform::ScopedService<platform::PnpUpdate> scope{*this};
};

const std::u16string kModelLines =
    u"\"KORVEL KV-100\" = KV100.LPT, LPTENUM\\KORVELKV-100\r\n"
    u"\"KORVEL KV-100\" = KV100, USBPRINT\\KORVELKV-1001A2B, KORVELKV-1001A2B\r\n"
    u"\"KORVEL KV-200\" = KV200, USBPRINT\\KORVELKV-2003C4D\r\n";
const std::u16string kInfLines = u"[Manufacturer]\r\nKORVEL=KORVEL,NTamd64,NTx86\r\n[KORVEL.NTamd64]\r\n" +
                                 kModelLines + u"[KORVEL.NTx86]\r\n" + kModelLines;

// Records the texts of failed rundll32 starts that a step reports.
struct StartFailures final : engine::FlowObserver {
    std::vector<std::u16string> texts;
    void OnStep(engine::FlowStep) override {}
    void OnStartFailure(const char16_t* text) override { texts.push_back(text); }
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
        installer.SetModelName(u"Alpha");
        installer.SetPortName(u"LPT1:");
        installer.SetDefaultFlag(1);
        installer.SetTestPageFlag(1);
        request = Prepared(u"Alpha", u"LPT1:");
    }
    static engine::InstallRequest Prepared(const char16_t* printer, const char16_t* port) {
        engine::InstallChoices choices;
        choices.port = port;
        return engine::PreparePrinter({u"C:\\Setup\\", u"C:\\Setup\\PrinterInfor.Inf"}, printer, choices).request;
    }
    engine::InstallationSteps Steps() { return engine::InstallationSteps(request, observer, log); }
    std::u16string Started(std::size_t i = 0) const { return shell.starts.at(i).parameters; }
};

TEST_F(PrintUi, Rundll32IsStartedFromTheSystemDirectoryAndAwaited) {
    EXPECT_TRUE(engine::RunRundll32(u"PRINTUI.DLL,PrintUIEntry /?"));
    ASSERT_EQ(shell.starts.size(), 1u);
    const auto& start = shell.starts[0];
    EXPECT_EQ(start.file, u"C:\\Windows\\system32\\rundll32.exe");
    EXPECT_EQ(start.parameters, u"PRINTUI.DLL,PrintUIEntry /?");
    EXPECT_EQ(start.mask, 0x40u);
    EXPECT_EQ(start.window, nullptr);
    EXPECT_EQ(start.verb, u"open");
    EXPECT_FALSE(start.directoryGiven);
    EXPECT_EQ(start.show, 1);
    EXPECT_EQ(shell.waits, std::vector<Dword>{120000});
    EXPECT_EQ(shell.processesOpen, 0) << "the process handle is closed";
    EXPECT_EQ(shell.badCloses, 0);
    EXPECT_TRUE(messages.shown.empty());

    // A start that gives no process has nothing to wait for or close.
    shell.giveProcess = false;
    shell.systemDirectory = u"D:\\";
    EXPECT_TRUE(engine::RunRundll32(u"x"));
    EXPECT_EQ(shell.starts[1].file, u"D:\\rundll32.exe");
    EXPECT_EQ(shell.waits.size(), 1u);
    EXPECT_EQ(shell.badCloses, 0);
}

TEST_F(PrintUi, AFailedStartShowsTheMessageOfItsErrorCode) {
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
        messages.shown.clear();
        EXPECT_FALSE(engine::RunRundll32(u"x"));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, message) << "error " << error;
        EXPECT_EQ(messages.shown[0].caption, u"ERROR");
        EXPECT_EQ(messages.shown[0].type, 0x10u);
        EXPECT_EQ(messages.shown[0].owner, nullptr);
    }
    EXPECT_TRUE(shell.waits.empty());
}

TEST_F(PrintUi, WithoutTheSystemDirectoryNothingIsStarted) {
    for (long result : {0L, 260L, 261L}) {
        shell.systemDirectoryResult = result;
        messages.shown.clear();
        EXPECT_FALSE(engine::RunRundll32(u"x"));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, u"The specified path was not found.");
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

TEST_F(PrintUi, InstallingWaitsThenChecksThePrinterByItsWholeName) {
    EXPECT_TRUE(Steps().InstallQueue());
    EXPECT_EQ(timing.sleeps, std::vector<Dword>{500});

    // The entry point ran but made no printer; a copy of the model does not count.
    FakeSpooler onlyCopies;
    onlyCopies.AddPrinter(u"Alpha (2)");
    onlyCopies.AddPrinter(u"Alpha0");
    shell.onStart = nullptr;
    EXPECT_FALSE(Steps().InstallQueue());
    EXPECT_EQ(timing.sleeps.size(), 2u);

    // rundll32 not started: no pause, no check, the message shown.
    shell.startFails = true;
    shell.startError = 2;
    EXPECT_FALSE(Steps().InstallQueue());
    EXPECT_EQ(timing.sleeps.size(), 2u);
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
    StartFailures observer;
    engine::SetupLog log;
    engine::InstallRequest request;

    Routes() {
        catalogue.sections[u"PRINTER_SERIES"] = {u"KV系列", u"B"};
        catalogue.sections[u"KV系列"] = {u"KV-100"};
        catalogue.sections[u"B"] = {u"KV-200"};
        catalogue.sections[u"PRINTER_TYPE"] = {u"KORVEL KV-100=24", u"KORVEL KV-200=24", u"KORVEL KV-300=24"};
        std::string inf;
        for (char16_t c : kInfLines) inf.push_back(static_cast<char>(c));
        dir.Write("PrinterDriver/24pin/OEMPRINT.INF", inf);
        shell.onStart = [this](const std::u16string&) { spooler.AddPrinter(request.printerName); };
        Choose(u"KORVEL KV-100");
    }
    void Choose(const char16_t* printer) {
        engine::InstallChoices choices;
        choices.port = u"USB001";
        request = engine::PreparePrinter({dir.ProgramDir(), dir.ProgramDir() + u"PrinterInfor.Inf"}, printer, choices)
                      .request;
    }
    engine::InstallationSteps Steps() { return engine::InstallationSteps(request, observer, log); }

    void AttachPrinter(const std::string& deviceId) {
        interfaces.paths = {u"\\\\?\\usb#vid_12ab&pid_34cd#0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"};
        std::size_t length = deviceId.size() + 2;
        io.replyBytes =
            std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + deviceId;
    }
    std::u16string InfPath() const { return dir.ProgramDir() + u"PrinterDriver\\24pin\\OEMPRINT.INF"; }
};

TEST_F(Routes, ThePlugAndPlayRouteInstallsTheSelectedModelsHardwareId) {
    EXPECT_TRUE(Steps().UpdateAttachedPrinter());
    ASSERT_EQ(pnp.updates.size(), 1u);
    EXPECT_EQ(pnp.updates[0].hardwareId, u"USBPRINT\\KORVELKV-1001A2B");
    EXPECT_EQ(pnp.updates[0].infPath, InfPath());
    EXPECT_EQ(pnp.updates[0].flags, 1u);
    EXPECT_EQ(pnp.updates[0].window, nullptr);
    EXPECT_TRUE(pnp.updates[0].rebootFlagGiven);
    EXPECT_EQ(codePage.codePages, std::vector<Dword>{3});

    pnp.succeeds = false;
    EXPECT_FALSE(Steps().UpdateAttachedPrinter());
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(Routes, TheSampleMediumsHardwareIdReachesTheUpdateWithoutBlanks) {
    std::ifstream sample(TAMRIN_MEDIUM_DIR "/PrinterDriver/24pin/OEMPRINT.INF", std::ios::binary);
    ASSERT_TRUE(sample);
    dir.Write("PrinterDriver/24pin/OEMPRINT.INF", std::string(std::istreambuf_iterator<char>(sample), {}));
    EXPECT_TRUE(Steps().UpdateAttachedPrinter());
    ASSERT_EQ(pnp.updates.size(), 1u);
    EXPECT_EQ(pnp.updates[0].hardwareId, u"USBPRINT\\KORVELKV-1001A2B");
}

TEST_F(Routes, WithoutAHardwareIdThereIsNoUpdate) {
    log.Open(dir.ProgramDir() + u"setup.log");
    Choose(u"KORVEL KV-300");  // has a type, but no line in the INF
    EXPECT_FALSE(Steps().UpdateAttachedPrinter());
    Choose(u"KORVEL KV-900");  // no type: the driver folder, no INF
    EXPECT_FALSE(Steps().UpdateAttachedPrinter());
    std::filesystem::remove(dir.path() / "PrinterDriver" / "24pin" / "OEMPRINT.INF");
    Choose(u"KORVEL KV-100");  // the INF is missing
    EXPECT_FALSE(Steps().UpdateAttachedPrinter());
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

TEST_F(Routes, APrinterQueueMadeOnAPortHasItsDriverStagedForAPrinterPluggedInLater) {
    EXPECT_TRUE(Steps().InstallDriver());
    EXPECT_EQ(pnp.staged, std::vector<std::u16string>{InfPath()});

    // Staging that fails leaves the installation a success.
    pnp.stagingSucceeds = false;
    EXPECT_TRUE(Steps().InstallDriver());
    EXPECT_EQ(pnp.staged.size(), 2u);

    // A failed installation stages nothing; neither does the plug-and-play route, which
    // installs the package for the device itself.
    FakeSpooler noPrinterMade;
    shell.onStart = nullptr;
    EXPECT_FALSE(Steps().InstallDriver());
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    EXPECT_TRUE(Steps().InstallDriver());
    EXPECT_EQ(pnp.staged.size(), 2u);
}

TEST_F(Routes, AnAttachedPrinterOfACatalogueModelTakesThePlugAndPlayRoute) {
    for (const char* model : {"KV-100", "KV-200"}) {  // in the wizard's series, or in another one
        RecordingPnpUpdate updates;
        AttachPrinter(std::string("MFG:KORVEL;CMD:ESC/P;MDL:") + model + ";CLS:PRINTER;");
        EXPECT_TRUE(Steps().InstallDriver()) << model;
        ASSERT_EQ(updates.updates.size(), 1u);
        // The selected model's ID, whichever model is attached.
        EXPECT_EQ(updates.updates[0].hardwareId, u"USBPRINT\\KORVELKV-1001A2B");
    }
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(io.openDevices.empty()) << "the printer is closed again";
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
        void OnStartFailure(const char16_t*) override { ADD_FAILURE(); }
    } observer;
    engine::SetupLog closed;
    request.makeDefault = false;
    for (bool quiet : {false, true}) {
        request.quiet = quiet;
        EXPECT_EQ(engine::RunInstallation(request, observer, closed), engine::FlowResult::DoneRestartRequired);
    }
    ASSERT_EQ(pnp.updates.size(), 2u);
    EXPECT_EQ(pnp.updates[0].flags, 1u);
    EXPECT_EQ(pnp.updates[1].flags, 5u);
    pnp.succeeds = false;
    EXPECT_EQ(engine::RunInstallation(request, observer, closed), engine::FlowResult::Failed);
    EXPECT_TRUE(shell.starts.empty());
}

TEST_F(Routes, TheFlowLogsTheErrorOfTheCallThatFailed) {
    log.Open(dir.ProgramDir() + u"setup.log");
    request.makeDefault = false;
    pnp.stagingSucceeds = false;
    EXPECT_EQ(engine::RunInstallation(request, observer, log), engine::FlowResult::Done);
    AttachPrinter("MFG:KORVEL;MDL:KV-100;");
    pnp.succeeds = false;
    EXPECT_EQ(engine::RunInstallation(request, observer, log), engine::FlowResult::Failed);
    log.Close();

    std::ifstream file(dir.path() / "setup.log", std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    EXPECT_TRUE(LogsError(text, "The driver package was not staged", "2")) << text;
    EXPECT_TRUE(LogsError(text, "The plug-and-play update failed", "0xE000020B")) << text;
}

TEST_F(Routes, AnAttachedPrinterOfAnotherModelTakesThePrinterUserInterfaceRoute) {
    for (const char* id : {"MFG:OTHER;MDL:X-1;", "MFG:KORVEL;MDL:kv-100;", "MFG:KORVEL;CMD:ESC/P;"}) {
        AttachPrinter(id);
        shell.starts.clear();
        EXPECT_TRUE(Steps().InstallDriver()) << id;
        EXPECT_EQ(shell.starts.size(), 1u) << id;
    }
    EXPECT_TRUE(pnp.updates.empty());
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
