// The USB printers attached to this machine: the model each one's IEEE 1284 device ID
// names, and the port the USB port monitor gave it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace engine {

// The model field of the first attached USB printer's device ID (empty when the ID names
// none or the printer does not answer); nothing when no USB printer is attached.
std::optional<std::u16string> AttachedPrinterModel();

struct AttachedPrinter {
    std::u16string model;  // empty when its device ID names none
    std::u16string port;   // its own port; empty when the port monitor gave it none
};

struct AttachedPrinters {
    std::vector<AttachedPrinter> printers;  // in the order Windows lists their interfaces
    bool moreNotExamined = false;           // more interfaces than are examined were there
};

// Every attached USB printer that can be opened, each asked for its device ID and tied
// to its own port through its device instance. Each installation reads them once, in its
// preparation.
AttachedPrinters FindAttachedPrinters();

}  // namespace engine
