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

// The hardware ID (8-bit text) of the USB model line whose first `length` characters
// match the quoted name; nothing when the INF cannot be read or no line matches.
std::optional<std::string> HardwareIdInInf(const char16_t* infPath, const char16_t* quotedName,
                                           std::size_t length);

}  // namespace engine
