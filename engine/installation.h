// Driver installation: the choice between the plug-and-play route and the printer
// user-interface route, the plug-and-play update and the staging of the package. The
// installation flow (engine/installation_flow.h) puts them together.
#pragma once

#include <optional>
#include <string>

#include "engine/catalogue.h"
#include "platform/result.h"
#include "platform/types.h"

namespace engine {

enum class InstallRoute {
    // The driver is installed for the attached device by its hardware ID.
    PlugAndPlay,
    // rundll32 runs the printer user-interface entry point, which makes the queue.
    PrinterInterface,
};

// An attached USB printer of any catalogue model takes the plug-and-play route, with
// the selected model's hardware ID; everything else the printer user-interface route.
InstallRoute ChooseInstallRoute(const Catalogue& catalogue);

struct HardwareIdLookup {
    std::optional<std::u16string> id;
    std::u16string failure;  // why there is none, for the log
};
// The hardware ID the INF gives the model (its line for "model" in double quotes);
// none when it gives none or an empty one.
HardwareIdLookup HardwareIdForModel(const char16_t* infPath, const char16_t* model);

enum class DriverUpdate {
    NotUpdated,
    Updated,
    UpdatedRestartRequired,  // Windows must restart before the device uses the driver
};
// Not updated: the error says why.
using PnpUpdateResult = platform::Result<DriverUpdate>;

// Installs the driver in the INF for the present devices of the hardware ID. Not
// interactive: the update fails rather than show anything.
PnpUpdateResult UpdateDriverForDevices(const char16_t* infPath, const std::u16string& hardwareId, bool interactive);

// After a pause for the printer interface to finish registering it: whether the
// printer exists under its whole name.
bool PrinterAppeared(const char16_t* name);
// Stages the driver package in the driver store, so that a printer plugged in later is
// given this driver by Plug and Play instead of another one or none.
platform::Outcome StageDriverPackage(const char16_t* infPath);

}  // namespace engine
