// The model lines of a driver INF file, as the plug-and-play installation reads them for
// the hardware ID of a printer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The quoted printer name with every "Korvel" written "KORVEL", as the driver INF files
// spell the maker.
std::u16string InfNamePattern(const char16_t* quotedName);

// A line of the INF (bytes, line end removed) is the USB model line of the printer when
// its first `length` bytes equal the first `length` characters of the pattern
// (character code = byte value) and "USB" occurs after its first comma. Its hardware ID
// is the text between the first and the second comma without the blanks and tabs
// around it (empty without a second comma). Writes the ID and a terminating zero into hardwareId and returns true; an
// ID that would not fit capacity refuses the line. A length beyond the pattern never
// matches.
bool ReadHardwareIdFromInfLine(std::string_view line, std::u16string_view pattern, std::size_t length,
                               char* hardwareId, std::size_t capacity);
