// The model lines of a driver INF file, as the plug-and-play installation reads them for
// the hardware ID of a printer.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/inf/inf_file.h"
#include "engine/inf/models_section.h"

// The quoted printer name with every "Korvel" written "KORVEL", as the driver INF files
// spell the maker.
std::u16string InfNamePattern(const char16_t* quotedName);

struct ModelLineSearch {
    bool isInf = false;  // false: Windows could not read the file (inf_file.h)
    std::optional<std::u16string> hardwareId;
};

// The hardware ID of the printer's USB model line in a driver INF's bytes: in the models
// section that each [Manufacturer] line names for the system, the first line
// "description = install-section, hardware-id[, compatible-ids...]" whose description, in
// quotes, begins with the first `length` characters of the pattern (a length beyond the
// pattern never matches) and one of whose IDs contains "USB". Its hardware ID is the one
// after the install section, with its %tokens% replaced from the Strings section for the
// system's language; an ID of `capacity` characters or more refuses the line.
ModelLineSearch FindModelHardwareId(std::string_view infBytes, std::u16string_view pattern,
                                    std::size_t length, const engine::TargetSystem& system,
                                    std::size_t capacity);

// Whether the INF's [Manufacturer] names a models section for the system: Windows'
// device installer installs nothing from an INF without one (an INF without NTarm64
// sections on ARM64 Windows).
bool InfHasModelsFor(std::string_view infBytes, const engine::TargetSystem& system);
