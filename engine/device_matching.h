// Matching the attached printer and the driver files: the model in the printer's device
// ID, and the hardware ID of a printer in the driver INF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace engine {

// The model field of the attached USB printer's device ID (empty when the ID names
// none or the printer does not answer); nothing when no USB printer is attached.
std::optional<std::u16string> AttachedPrinterModel();

// The attached USB printer: the model its device ID names (empty when it names none) and
// the port the USB port monitor gave it (empty when none was found).
struct AttachedPrinter {
    std::u16string model;
    std::u16string port;
};
// Nothing when no USB printer is attached.
std::optional<AttachedPrinter> FindAttachedPrinter();

// The hardware ID (8-bit text) of the USB model line whose first `length` characters
// match the quoted name; nothing when the INF cannot be read or no line matches.
std::optional<std::string> HardwareIdInInf(const char16_t* infPath, const char16_t* quotedName,
                                           std::size_t length);

}  // namespace engine
