// Matching the driver files to a printer: the hardware ID of a printer in the driver INF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/inf/models_section.h"

namespace engine {

enum class InfLookup { Found, Unreadable, TooLarge, NoMemory, NotAnInf, NoModelLine };

struct InfHardwareId {
    InfLookup lookup = InfLookup::NoModelLine;
    std::u16string id;  // Found: the ID's characters, whatever the INF's encoding
};

// The hardware ID of the printer's USB model line whose description, in quotes, begins
// with the first `length` characters of the quoted name (inf_model_line.h), in the models
// section Windows reads for the system, its %tokens% from the Strings section for the
// system's language.
InfHardwareId HardwareIdInInf(const char16_t* infPath, const char16_t* quotedName, std::size_t length,
                              const TargetSystem& system);

// Why a look-up found no ID, for the log.
std::u16string InfLookupText(InfLookup lookup);

}  // namespace engine
