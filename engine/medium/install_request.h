// What one installation needs, complete: the printer, its print head and driver, the
// port, the options and the route. One preparation (engine/medium/preparation.h) makes it
// from the medium, the chosen model and the attached printers; the installation flow
// takes it as it is.
#pragma once

#include <string>

#include "engine/inf/models_section.h"
#include "engine/medium/install_route.h"
#include "engine/medium/medium_paths.h"

namespace engine {

// What the user or the command line chose besides the model.
struct InstallChoices {
    std::u16string port;
    bool makeDefault = true;
    bool testPage = false;
    // Nothing may be shown: the printer interface is asked for no messages, rundll32 is
    // started hidden and the plug-and-play update fails rather than ask.
    bool quiet = false;
    // Every change is written to the log as the one it would be, and none is made.
    bool dryRun = false;
    // The printers that have the model's driver are kept as they are and given the driver
    // of this package; without one the model is installed as without it.
    bool update = false;
};

struct InstallRequest : InstallChoices {
    std::u16string catalogueFile;
    std::u16string printerName;  // the model's printer name: the queue's and the driver's
    PrintHead printHead = PrintHead::Unknown;
    std::u16string driverInf;
    // The catalog file the INF names, beside it; empty when it names none (an unsigned
    // package).
    std::u16string driverCatalog;
    // The system whose models section and catalog of the INF are used, from the machine.
    TargetSystem system;
    // Chosen from the attached printers the preparation was given, and followed as it is.
    RouteChoice route;
};

}  // namespace engine
