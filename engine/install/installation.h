// Driver installation: the plug-and-play update, the printer awaited and the staging of
// the package. The installation flow (engine/install/installation_flow.h) puts them
// together on the route the preparation chose (engine/medium/install_route.h).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/install/device_matching.h"
#include "engine/install/spooler.h"
#include "platform/result.h"
#include "platform/types.h"

namespace engine {

struct HardwareIdLookup {
    std::optional<std::u16string> id;
    std::u16string failure;  // why there is none, for the log
};
// The hardware ID the INF gives the model (its line for "model" in double quotes) for the
// system; none when it gives none or an empty one.
HardwareIdLookup HardwareIdForModel(const char16_t* infPath, const char16_t* model, const TargetSystem& system);

enum class DriverUpdate {
    NotUpdated,
    Updated,
    UpdatedRestartRequired,  // Windows must restart before the device uses the driver
};
// Not updated: the error says why.
using PnpUpdateResult = platform::Result<DriverUpdate>;

// Installs the driver in the INF for the present devices of the hardware ID. Interactive,
// what it shows belongs to the window that owns the program's boxes (the wizard's frame);
// not interactive, the update fails rather than show anything.
PnpUpdateResult UpdateDriverForDevices(const char16_t* infPath, const std::u16string& hardwareId, bool interactive);

// The devices whose hardware IDs include this one (present or not), each removed with its
// driver (DiUninstallDevice): how many, and the error of the last removal that failed.
struct DeviceRemoval {
    int removed = 0;
    platform::Dword error = 0;
    bool callMissing = false;  // this Windows has no DiUninstallDevice (before Windows 7)
    bool restartRequired = false;
};
DeviceRemoval UninstallDevicesOf(const std::u16string& hardwareId);

// Whether the printer exists under its whole name, asked at once and then every 50 ms
// for up to 5 s: the entry point may still be registering it when rundll32 is done.
bool PrinterAppeared(const char16_t* name);

// Windows keeps one queue per plug-and-play printer: the update makes it, named by the
// INF's device description, or gives the queue the device already has (renamed by the
// user, or named by an older driver) the new driver, possibly only after the update
// returned. Asked at once and then every 250 ms for up to 30 s: the printers on the port
// whose driver is the model's, in spooler order; none when none came.
StringList QueuesOnPortWithDriver(const char16_t* port, const char16_t* driver);
// Stages the driver package in the driver store, so that a printer plugged in later is
// given this driver by Plug and Play instead of another one or none; stagedInf gets the
// path of the INF's copy there (empty when Windows gave none).
platform::Outcome StageDriverPackage(const char16_t* infPath, std::u16string& stagedInf);

}  // namespace engine
