// The port monitor's port name from its port number.
#pragma once

#include <cstddef>

namespace usb {

// The leading decimal integer of the text as the C library reads one: optional white
// space and sign, then digits up to the first non-digit; no digits give 0. Values beyond
// the 32-bit range are held at its ends.
int ParsePortNumber(const char16_t* text);

// "USB" and the number as "%03d" writes it (at least three digits, never cut). False
// when the name does not fit capacity; name is then left as it was.
bool FormatUsbPortName(int number, char16_t* name, std::size_t capacity);

}  // namespace usb
