// The unattended installation and removal on a medium in a scratch folder, with the
// spooler, the shell (rundll32) and the pauses replaced by fakes: the order of the
// steps, nothing changed when any input is refused, and the exit code of each outcome.
#include "engine/run/unattended.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/run/exit_codes.h"
#include "engine/install/installation_flow.h"
#include "tests/support/fake_memory.h"
#include "tests/support/fake_pnp_update.h"
#include "tests/support/fake_shell.h"
#include "tests/support/fake_spooler.h"
#include "tests/support/log_text.h"
#include "tests/support/fake_devices.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_convert.h"

namespace {

const char kCatalogue[] =
    "[PRINTER_SERIES]\nKV系列\n"
    "[KV系列]\nKV-100\nKV-200\nKV-300\n"
    "[PRINTER_NAME]\nKV-100=Korvel KV-100\nKV-200=Korvel KV-200\n"
    "[PRINTER_TYPE]\nKorvel KV-100=24\nKorvel KV-200=9\n";
const char16_t kPrinter[] = u"Korvel KV-100";

class Unattended : public testing::Test {
protected:
    TempDir dir;
    FakeSpooler spooler;
    FakeShell shell;
    RecordingMessageBoxes boxes;
    RecordingTiming timing;
    RecordingPnpUpdate pnp;
    engine::SetupLog log;
    engine::MediumFiles medium{dir.ProgramDir(), dir.ProgramDir() + u"PrinterInfor.Inf"};

    Unattended() {
        dir.Write("PrinterInfor.Inf", Utf16LeWithBom(kCatalogue));
        dir.Write("PrinterDriver/24pin/OEMPRINT.INF",
                  "[Manufacturer]\nKORVEL=KORVEL,NTamd64,NTx86\n[KORVEL.NTamd64]\n\"KORVEL KV-100\" = KV100, "
                  "USBPRINT\\KV1001A2B\n[KORVEL.NTx86]\n\"KORVEL KV-100\" = KV100, USBPRINT\\KV1001A2B\n");
        spooler.ports = {u"LPT1:", u"COM1:", u"USB001"};
        // The printer interface makes the queue an install line names.
        shell.onStart = [this](const std::u16string& line) {
            if (line.find(u"/if") != std::u16string::npos) spooler.AddPrinter(kPrinter);
        };
        log.Open(dir.ProgramDir() + u"setup.log");
    }

    std::uint32_t Run(engine::SetupOptions options) {
        options.quiet = true;
        return engine::RunUnattended(options, medium, log);
    }
    static engine::SetupOptions Install(const char16_t* model, const char16_t* port) {
        engine::SetupOptions options;
        if (model) options.model = model;
        if (port) options.port = port;
        return options;
    }
    std::string Log() {
        log.Close();
        std::ifstream in(dir.path() / "setup.log", std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // The spooler calls that change something.
    std::vector<std::string> Changes() const {
        std::vector<std::string> changes;
        for (const std::string& call : spooler.calls) {
            if (call.rfind("Delete", 0) == 0 || call.rfind("SetPrinter", 0) == 0) changes.push_back(call);
        }
        return changes;
    }
};

TEST_F(Unattended, AnInstallationRemovesTheOldPrintersThenInstallsAndMakesTheDefault) {
    spooler.AddPrinter(kPrinter);
    spooler.AddPrinter(u"Korvel KV-100 (2)", kPrinter);
    spooler.AddPrinter(u"Korvel KV-1000");
    shell.onStart = [this](const std::u16string& line) {
        // The old printers are gone before the printer interface is asked for the new one.
        if (line.find(u"/if") == std::u16string::npos) return;
        EXPECT_EQ(spooler.printers.size(), 1u);
        spooler.AddPrinter(kPrinter);
    };

    EXPECT_EQ(Run(Install(u"KV-100", u"lpt1:")), engine::kExitSuccess);

    EXPECT_EQ(Changes(), (std::vector<std::string>{
                             "SetPrinter level=0 data=none command=3 Korvel KV-100",
                             "DeletePrinter Korvel KV-100",
                             "SetPrinter level=0 data=none command=3 Korvel KV-100 (2)",
                             "DeletePrinter Korvel KV-100 (2)",
                             "DeleteDriver Korvel KV-100 server=none environment=given flags=1,3",
                         }));
    ASSERT_EQ(shell.starts.size(), 2u);
    const std::u16string inf = dir.ProgramDir() + u"PrinterDriver\\24pin\\OEMPRINT.INF";
    // The port in the spooler's own spelling; /q and a hidden start: nothing is shown.
    EXPECT_EQ(shell.starts[0].parameters, u"PRINTUI.DLL,PrintUIEntry /if /q /n \"Korvel KV-100\" /f \"" +
                                              inf + u"\" /r \"LPT1:\" /m \"Korvel KV-100\" ");
    EXPECT_EQ(shell.starts[1].parameters, u"PRINTUI.DLL,PrintUIEntry /y /q /n \"Korvel KV-100\"");
    EXPECT_EQ(shell.starts[0].show, 0);
    EXPECT_EQ(shell.starts[0].mask, 0x440u) << "SEE_MASK_FLAG_NO_UI: no box of the shell's own either";
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(spooler.HasPrinter(u"Korvel KV-1000"));

    const std::string text = Log();
    const char* inOrder[] = {"Installing the model \"KV-100\"",
                             "Removing the printer \"Korvel KV-100\"",
                             "Removing the printer \"Korvel KV-100 (2)\"",
                             "rundll32.exe PRINTUI.DLL,PrintUIEntry /if /q",
                             "rundll32.exe PRINTUI.DLL,PrintUIEntry /y /q",
                             "Installed"};
    std::size_t at = 0;
    for (const char* line : inOrder) {
        std::size_t found = text.find(line, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line << "\n" << text;
        at = found;
    }
}

TEST_F(Unattended, NothingChangesWhenAnInputIsRefused) {
    spooler.AddPrinter(kPrinter);
    struct Case {
        engine::SetupOptions options;
        std::uint32_t exitCode;
        const char* reason;
    };
    engine::SetupOptions uninstallUnnamed = Install(u"KV-300", nullptr);
    uninstallUnnamed.uninstall = true;
    const std::vector<Case> cases = {
        {Install(u"KV-999", u"LPT1:"), engine::kExitInvalidCommandLine, "\"KV-999\" is not listed"},
        {Install(u"kv-100 ", u"LPT1:"), engine::kExitInvalidCommandLine, "is not listed"},
        {Install(u"KV-100", u"LPT9:"), engine::kExitInvalidCommandLine,
         "\"LPT9:\" is not one the spooler lists"},
        {Install(u"KV-100", nullptr), engine::kExitInvalidCommandLine, "no USB port"},
        {Install(nullptr, u"LPT1:"), engine::kExitInvalidCommandLine, "no USB printer is attached"},
        {Install(u"KV-200", u"LPT1:"), engine::kExitFailed, "9pin\\OEMPRINT.INF, which is not on the medium"},
        {Install(u"KV-300", u"LPT1:"), engine::kExitFailed, "has no PRINTER_NAME"},
        {uninstallUnnamed, engine::kExitFailed, "has no PRINTER_NAME"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.options), c.exitCode) << c.reason;
    }
    spooler.portScript.secondCallFails = true;
    spooler.portScript.secondCallError = 1722;
    EXPECT_EQ(Run(Install(u"KV-100", u"LPT1:")), engine::kExitFailed);

    EXPECT_TRUE(Changes().empty());
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(boxes.shown.empty());
    const std::string text = Log();
    for (const Case& c : cases) EXPECT_NE(text.find(c.reason), std::string::npos) << c.reason << "\n" << text;
    EXPECT_NE(text.find("the spooler cannot list its ports"), std::string::npos);
}

// Nobody answers a quiet run: SetupAPI is told to show nothing (SetupSetNonInteractiveMode)
// before anything is asked of it, and a package it refuses (here the catalog's hash does
// not match, TRUST_E_BAD_DIGEST) or would ask about ends the run with 1603 and its error
// while the old printer is still there.
TEST_F(Unattended, APackageWindowsRefusesEndsTheRunBeforeAnythingIsRemoved) {
    spooler.AddPrinter(kPrinter);
    pnp.stagingError = 0x80096010;
    EXPECT_EQ(Run(Install(u"KV-100", u"LPT1:")), engine::kExitFailed);
    EXPECT_EQ(pnp.nonInteractiveModes, std::vector<platform::Bool>{1});
    EXPECT_EQ(pnp.staged.size(), 1u);
    EXPECT_TRUE(Changes().empty());
    EXPECT_TRUE(shell.starts.empty());
    EXPECT_TRUE(spooler.HasPrinter(kPrinter));
    const std::string text = Log();
    EXPECT_TRUE(LogsError(text, "Windows did not take the driver package", "0x80096010")) << text;
    EXPECT_NE(text.find("The installation failed; nothing was removed"), std::string::npos) << text;
    EXPECT_NE(text.find("names no catalog file (CatalogFile): it is unsigned"), std::string::npos) << text;
}

TEST_F(Unattended, TheExitCodeOfEachOutcome) {
    // The printer interface ran but made no printer.
    shell.onStart = nullptr;
    EXPECT_EQ(Run(Install(u"KV-100", u"LPT1:")), engine::kExitFailed);
    // rundll32 cannot be started: the reason goes to the log, no box.
    shell.startFails = true;
    shell.startError = 2;
    EXPECT_EQ(Run(Install(u"KV-100", u"LPT1:")), engine::kExitFailed);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_NE(Log().find("The specified file was not found."), std::string::npos);
}

TEST_F(Unattended, WhatIfWritesThePlanAndChangesNothing) {
    spooler.AddPrinter(kPrinter);
    engine::SetupOptions install = Install(u"KV-100", u"LPT1:");
    install.whatIf = true;
    install.testPage = true;
    EXPECT_EQ(Run(install), engine::kExitSuccess);
    engine::SetupOptions uninstall = Install(u"KV-100", nullptr);
    uninstall.uninstall = uninstall.whatIf = true;
    EXPECT_EQ(Run(uninstall), engine::kExitSuccess);

    EXPECT_TRUE(Changes().empty());
    EXPECT_TRUE(shell.starts.empty());
    const std::string text = Log();
    for (const char* planned : {"[what if] Removing the printer \"Korvel KV-100\"",
                                "[what if] rundll32.exe PRINTUI.DLL,PrintUIEntry /if /q /n \"Korvel KV-100\"",
                                "[what if] rundll32.exe PRINTUI.DLL,PrintUIEntry /y /q",
                                "[what if] rundll32.exe PRINTUI.DLL,PrintUIEntry /k /q",
                                "[what if] Deleting the driver \"Korvel KV-100\""}) {
        EXPECT_NE(text.find(planned), std::string::npos) << planned << "\n" << text;
    }
}

TEST_F(Unattended, AnUninstallationRemovesTheModelsPrintersAndTheDriversNoOneElseUses) {
    spooler.AddPrinter(kPrinter);
    spooler.AddPrinter(u"Korvel KV-100 (2)", kPrinter);
    spooler.AddPrinter(u"Korvel KV-100 (3)", u"Shared driver");
    spooler.AddPrinter(u"Office", u"Shared driver");
    spooler.AddPrinter(u"Korvel KV-1000", kPrinter);
    // A copy bound to another maker's driver, which no other printer uses: the printer
    // goes, the driver is not the model's and stays.
    spooler.AddPrinter(u"KORVEL KV-100 (4)", u"Other Maker 24-pin");
    engine::SetupOptions uninstall = Install(u"KV-100", nullptr);
    uninstall.uninstall = true;

    // The driver stays in use by the look-alike "Korvel KV-1000": logged, not a failure.
    EXPECT_EQ(Run(uninstall), engine::kExitSuccess);
    std::vector<std::u16string> left;
    for (const auto& printer : spooler.printers) left.push_back(printer.name);
    EXPECT_EQ(left, (std::vector<std::u16string>{u"Office", u"Korvel KV-1000"}));
    EXPECT_EQ(spooler.drivers.count(kPrinter), 1u);
    EXPECT_EQ(spooler.drivers.count(u"Shared driver"), 1u);
    EXPECT_EQ(spooler.drivers.count(u"Other Maker 24-pin"), 1u);

    // With the look-alike gone, the model's own driver goes with its last printer, its
    // name as the INF spells it (the maker in capitals) being the model's without regard
    // to case.
    spooler.printers.pop_back();
    spooler.AddPrinter(kPrinter, u"KORVEL KV-100");
    EXPECT_EQ(Run(uninstall), engine::kExitSuccess);
    EXPECT_EQ(spooler.drivers.count(u"KORVEL KV-100"), 0u);

    // A printer that cannot be deleted fails the removal.
    spooler.AddPrinter(kPrinter);
    spooler.deleteFails = true;
    EXPECT_EQ(Run(uninstall), engine::kExitFailed);
    // None left: nothing to do, and that is success.
    spooler.printers.clear();
    EXPECT_EQ(Run(uninstall), engine::kExitSuccess);

    // A spooler listing that cannot be had fails the removal with its own error: here the
    // buffer the spooler asked for, not the sizing call's ERROR_INSUFFICIENT_BUFFER.
    spooler.AddPrinter(kPrinter);
    ScriptedMemory memory;
    memory.fail = true;
    EXPECT_EQ(Run(uninstall), engine::kExitFailed);

    const std::string text = Log();
    EXPECT_TRUE(LogsError(text, "The printers cannot be listed", "8")) << text;
    EXPECT_NE(text.find("Keeping the driver \"Korvel KV-100\": the printer \"Korvel KV-1000\" uses it"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("The printer \"Korvel KV-100\" is still there"), std::string::npos) << text;
    EXPECT_TRUE(shell.starts.empty());
}

// /uninstall takes the model's package out of the driver store for good, in the documented
// order: its INF read first ("DRIVER_INFO_8": pszInfPath), the printer driver deleted, the
// package taken off the devices ("DiUninstallDriverW", DIURFLAG_NO_REMOVE_INF), then out of
// the store ("DeletePrinterDriverPackage": S_OK or an HRESULT). A package another driver
// comes from, or one Windows keeps, stays, and the log says why.
TEST_F(Unattended, AnUninstallationTakesTheModelsPackageOutOfTheDriverStore) {
    const std::u16string inf = u"C:\\Windows\\System32\\DriverStore\\FileRepository\\oemprint.inf_x\\oemprint.inf";
    const std::string driver = "DeleteDriver Korvel KV-100 server=none environment=given flags=1,3";
    const std::string package = "DeletePackage " + Utf8(inf.c_str());
    const struct {
        const char16_t* alsoFromIt;  // another installed driver of the package
        platform::Dword uninstallError, deleteResult;
        bool reboot;
        std::uint32_t exitCode;
        const char* logged;
    } rows[] = {
        {nullptr, 0, 0, false, engine::kExitSuccess, "The driver package is out of the driver store"},
        {nullptr, 0, 0, true, engine::kExitRestartRequired, "Windows must restart to finish taking the package off"},
        {u"KORVEL KV-200", 0, 0, false, engine::kExitSuccess, "the driver \"KORVEL KV-200\" comes from it too"},
        {nullptr, 127, 127, false, engine::kExitSuccess, "This Windows has no DeletePrinterDriverPackage"},
        {nullptr, 127, 0, false, engine::kExitSuccess, "2 device(s) of the model removed"},
        {nullptr, 0, 0x80070BC7, false, engine::kExitSuccess, "Windows keeps the driver package: it is in use: error 0x80070BC7"},
    };
    engine::SetupOptions uninstall = Install(u"KV-100", nullptr);
    uninstall.uninstall = true;
    for (const auto& row : rows) {
        FakeSpooler store;
        RecordingPnpUpdate devices;
        FakeDeviceInterfaces all;  // without DiUninstallDriver, the devices of the hardware ID go
        all.devices = {u"USB\\VID_1A2B&PID_3C4D\\1", u"USBPRINT\\KV1001A2B", u"usbprint\\kv1001a2b"};
        store.AddPrinter(kPrinter);
        store.packages[kPrinter] = inf;
        if (row.alsoFromIt) store.drivers.insert(row.alsoFromIt), store.packages[row.alsoFromIt] = inf;
        devices.uninstallError = row.uninstallError;
        devices.rebootNeeded = row.reboot;
        store.packageDeleteResult = row.deleteResult;
        EXPECT_EQ(Run(uninstall), row.exitCode) << row.logged;
        std::vector<std::string> deletions;
        for (const std::string& call : store.calls) {
            if (call.rfind("DeleteDriver", 0) == 0 || call.rfind("DeletePackage", 0) == 0) deletions.push_back(call);
        }
        const std::vector<std::string> expected = {driver, package};
        EXPECT_EQ(deletions, std::vector<std::string>(expected.begin(), expected.end() - (row.alsoFromIt ? 1 : 0)));
        EXPECT_EQ(devices.uninstalled.size(), row.alsoFromIt ? 0u : 1u) << row.logged;
        EXPECT_EQ(devices.devicesRemoved.size(), row.uninstallError == 127 ? 2u : 0u) << row.logged;
    }
    const std::string text = Log();
    for (const auto& row : rows) EXPECT_NE(text.find(row.logged), std::string::npos) << row.logged << "\n" << text;
}

}  // namespace
