// The installation and the removal of a model's printer, each as one flow with explicit
// inputs. The wizard's finish page and the unattended mode run the same flows: the page
// shows the steps the observer is told of, and both write every step, every command line
// and every Windows error to the setup log.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/medium/install_request.h"
#include "engine/log/setup_log.h"
#include "engine/messages/messages.h"
#include "engine/install/spooler.h"

namespace engine {

enum class FlowStep {
    Removing,    // the printers of the model are being removed
    Installing,  // the driver is being installed
    Installed,
    Failed,
};

class FlowObserver {
public:
    virtual void OnStep(FlowStep step) = 0;
    // rundll32 could not be started; the message says why (StartFailureMessage).
    virtual void OnStartFailure(MessageId why) = 0;
    // Windows did not take the driver package, and nothing was removed; the error says
    // why. Observers that show nothing need not hear of it.
    virtual void OnPackageNotStaged(platform::Dword error) { (void)error; }

protected:
    ~FlowObserver() = default;
};


enum class FlowResult {
    Done,
    DoneRestartRequired,  // Windows must restart before the printer can be used
    Failed,
};

// The log of one run of a flow: in a dry run each line is marked as the change it
// would be.
class FlowLog {
public:
    FlowLog(SetupLog& log, bool dryRun) : log_(log), prefix_(dryRun ? u"[what if] " : u"") {}
    void Write(const std::u16string& line) { log_.Write(prefix_ + line); }
    void WriteError(const std::u16string& line, platform::Dword error) { log_.WriteError(prefix_ + line, error); }

private:
    SetupLog& log_;
    std::u16string prefix_;
};

// The steps of one installation, each one implementation, logged: the flow below runs
// them in order, and the installer's members run them singly.
class InstallationSteps {
public:
    InstallationSteps(const InstallRequest& request, FlowObserver& observer, SetupLog& log);

    // When a printer of exactly the model's name is there: its handle closed, the
    // printers of the model removed as RunRemoval removes them (the model's own driver
    // deleted only when no other printer uses it), and the devices re-scanned.
    void RemoveOldPrinters();
    // The driver installed by the route the request carries (ChooseInstallRoute): the
    // plug-and-play update, or the printer queue made through the printer interface. A
    // failure of the route taken is final.
    bool InstallDriver();
    // The update for the attached printer on the USB port, then the queue Windows makes
    // for it on that port, which the later steps use by its own name.
    bool UpdateAttachedPrinter(const std::u16string& usbPort);
    bool InstallQueue();
    // Stages the driver package in the driver store, where Windows checks it (and, for a
    // printer plugged in later, finds it); false when Windows does not take it. An
    // unsigned package (the INF names no catalog) is logged as such.
    bool StagePackage();
    // With /update: the printers that have the model's driver, each kept as it is, given
    // the driver of the staged package (and the attached printer of the model the
    // plug-and-play update again); nothing when there is none, and the installation goes
    // on as without /update.
    std::optional<FlowResult> UpdateInPlace();
    // The model's driver installed from the staged package with all its files; without
    // InstallPrinterDriverFromPackage, through the printer interface (/ia).
    bool InstallDriverFromPackage();
    // Not as LocalSystem, whose default printer no user sees: that is logged instead.
    bool MakeDefault();
    bool PrintTestPage();
    // The plug-and-play update said that Windows must restart.
    bool RestartRequired() const { return restartRequired_; }
    // The installed printer's name: the model's, or the one Windows gave the queue of the
    // attached printer; empty while that queue waits for the restart.
    const std::u16string& PrinterName() const { return installedName_; }

private:
    bool RunCommand(const std::optional<std::u16string>& line);
    bool AwaitQueue(const std::vector<LocalPrinter>& before, const std::u16string& usbPort);

    const InstallRequest& request_;
    FlowObserver& observer_;
    FlowLog log_;
    const char16_t* name_;
    std::u16string stagedInf_;  // the INF's copy in the driver store, once staged
    std::u16string installedName_;
    bool restartRequired_ = false;
};

// StagePackage, RemoveOldPrinters, InstallDriver, then the installed printer made the
// default and a test page printed on it, as asked. A package Windows does not take ends
// the installation before anything is removed.
FlowResult RunInstallation(const InstallRequest& request, FlowObserver& observer, SetupLog& log);

// Removes the printers of the request's model (its own name and its copies) and the
// model's own driver (the printer name without regard to case) when no other printer uses
// it, with the package it came from for good unless another driver comes from it; the
// drivers of other names stay. Done when no printer of the model is left; a driver or a
// package that cannot be removed is logged and does not fail it.
FlowResult RunRemoval(const InstallRequest& request, SetupLog& log);

}  // namespace engine
