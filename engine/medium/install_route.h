// The route an installation takes: the plug-and-play update of the attached printer, or
// the queue made through the printer interface. The preparation chooses it once, from the
// attached printers it was given, and the request carries it. With several printers
// attached, the one that counts is the one of the chosen model.
#pragma once

#include <string>
#include <vector>

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

// The attached printers of the printer: those whose model is a catalogue entry with that
// printer name, in the order they were found.
std::vector<AttachedPrinter> AttachedOfPrinter(const AttachedPrinters& attached, const Catalogue& catalogue,
                                               const std::u16string& printerName);
// The models of the attached printers that the main series lists, each once, in order.
StringList ListedAttachedModels(const AttachedPrinters& attached, const Catalogue& catalogue);
// The ports the port page proposes for the printer, the first one first: those of the
// attached printers of the printer; without one, those of the attached printers whose
// model no catalogue entry names (such a printer may be the chosen one under another
// name). Ports not found are left out.
StringList ProposedPorts(const AttachedPrinters& attached, const Catalogue& catalogue,
                         const std::u16string& printerName);

// The plug-and-play update installs only the device the chosen model's hardware ID names:
// it is taken for an attached printer of the chosen printer (the first one, or the one on
// the chosen port when a port was chosen) on its USB port. Every other case installs the
// chosen printer on the chosen port through the printer interface.
RouteChoice ChooseInstallRoute(const AttachedPrinters& attached, const Catalogue& catalogue,
                               const std::u16string& printerName, const std::u16string& port);

}  // namespace engine
