// Matching the attached printer and the driver files: the model in the printer's device
// ID, and the hardware ID of a printer in the driver INF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/inf/models_section.h"

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

enum class InfLookup { Found, Unreadable, TooLarge, NoMemory, NotAnInf, NoModelLine };

struct InfHardwareId {
    InfLookup lookup = InfLookup::NoModelLine;
    // Found: the ID's characters; from an INF of 8-bit text, one character per byte.
    std::u16string id;
    bool unicodeFile = false;
};

// The hardware ID of the printer's USB model line whose description, in quotes, begins
// with the first `length` characters of the quoted name (inf_model_line.h), in the models
// section Windows reads for the system.
InfHardwareId HardwareIdInInf(const char16_t* infPath, const char16_t* quotedName, std::size_t length,
                              const TargetSystem& system);

// Why a look-up found no ID, for the log.
std::u16string InfLookupText(InfLookup lookup);

}  // namespace engine
