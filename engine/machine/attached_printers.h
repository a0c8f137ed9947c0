// The USB printers attached to this machine: the model each one's IEEE 1284 device ID
// names, and the port the USB port monitor gave it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace engine {

// The model field of the attached USB printer's device ID (empty when the ID names
// none or the printer does not answer); nothing when no USB printer is attached.
std::optional<std::u16string> AttachedPrinterModel();

struct AttachedPrinter {
    std::u16string model;  // empty when its device ID names none
    std::u16string port;   // empty when the port monitor gave it none
};
using AttachedPrinters = std::vector<AttachedPrinter>;

// The attached USB printers, in the order Windows lists their interfaces; empty when none
// is attached. Each installation reads them once, in its preparation. A list, though the
// printer found is the first one only (CUSBPort).
AttachedPrinters FindAttachedPrinters();

}  // namespace engine
