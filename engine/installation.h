// Driver installation: the choice between the plug-and-play route and the printer
// user-interface route, and the printer user-interface commands (install, make
// default, print a test page).
#pragma once

#include "engine/catalogue.h"

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

// Installs the driver in the INF for the present devices of the model's hardware ID.
bool UpdateDriverForDevices(const char16_t* infPath, const char16_t* model);

// Installs the printer queue through rundll32 and checks, after a pause, that the
// printer exists under its whole name.
bool InstallPrinterQueue(const char16_t* name, const char16_t* infPath, const char16_t* port);
// Stages the driver package in the driver store, so that a printer plugged in later is
// given this driver by Plug and Play instead of another one or none.
bool StageDriverPackage(const char16_t* infPath);
bool MakeDefaultPrinter(const char16_t* name);
bool PrintTestPageOn(const char16_t* name);

}  // namespace engine
