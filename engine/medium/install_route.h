// The route an installation takes: the plug-and-play update of the attached printer, or
// the queue made through the printer interface. The preparation chooses it once, from the
// attached printers it read, and the request carries it.
#pragma once

#include <optional>
#include <string>

#include "engine/machine/attached_printers.h"
#include "engine/medium/catalogue.h"

namespace engine {

enum class InstallRoute {
    // The driver is installed for the attached device by its hardware ID.
    PlugAndPlay,
    // rundll32 runs the printer user-interface entry point, which makes the queue.
    PrinterInterface,
};

struct RouteChoice {
    InstallRoute route = InstallRoute::PrinterInterface;
    std::u16string reason;   // why, for the log
    std::u16string usbPort;  // PlugAndPlay: the attached printer's USB port
};

// The plug-and-play update installs only the device the chosen model's hardware ID names:
// it is taken when the attached printer's model is a catalogue entry whose printer is the
// chosen one, and the chosen port is that printer's USB port (or none was chosen). Every
// other case installs the chosen printer on the chosen port through the printer interface.
RouteChoice ChooseInstallRoute(const std::optional<AttachedPrinter>& attached, const Catalogue& catalogue,
                               const std::u16string& printerName, const std::u16string& port);

}  // namespace engine
