// The installation and the removal of a model's printer, each as one flow with explicit
// inputs. The wizard's finish page and the unattended mode run the same flows: the page
// shows the steps the observer is told of, and both write every step, every command line
// and every Windows error to the setup log.
#pragma once

#include <string>

#include "engine/setup_log.h"

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
    // rundll32 could not be started; the text says why (StartFailureText).
    virtual void OnStartFailure(const char16_t* text) = 0;

protected:
    ~FlowObserver() = default;
};

struct InstallRequest {
    std::u16string catalogueFile;  // with the attached printer, it decides the route
    std::u16string printerName;    // the model's printer name: the queue's and the driver's
    std::u16string driverInf;
    std::u16string port;
    bool makeDefault = true;
    bool testPage = false;
    // Nothing may be shown: the printer interface is asked for no messages, rundll32 is
    // started hidden and the plug-and-play update fails rather than ask.
    bool quiet = false;
    // Every change is written to the log as the one it would be, and none is made.
    bool dryRun = false;
};

enum class FlowResult {
    Done,
    DoneRestartRequired,  // Windows must restart before the printer can be used
    Failed,
};

// When a printer of exactly the model's name is there: its handle closed, the printers
// of the model (its own name and its copies) removed with the drivers of their names,
// and the devices re-scanned. Then the driver installed by the route the attached
// printer decides, the printer made the default and a test page printed, as asked.
FlowResult RunInstallation(const InstallRequest& request, FlowObserver& observer, SetupLog& log);

// Removes the printers of the model (its own name and its copies) and each of their
// drivers that no other printer uses. Done when no printer of the model is left; a
// driver that cannot be deleted is logged and does not fail it.
FlowResult RunRemoval(const std::u16string& printerName, bool dryRun, SetupLog& log);

}  // namespace engine
