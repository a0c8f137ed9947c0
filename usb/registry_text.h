// The data of a registry value as text.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace usb {

// Accepts at most capacity bytes of data (capacity is also the size of text in
// characters). A REG_DWORD of four bytes becomes its signed decimal ("%d"); a string
// type (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) becomes its characters up to the first zero,
// also when the data was stored without a terminator or with an odd number of bytes (the
// odd byte is dropped). Any other type is not text. On success text is zero-terminated.
bool RegistryValueToText(platform::Dword type, const std::uint8_t* data, platform::Dword size, char16_t* text,
                         platform::Dword capacity);

}  // namespace usb
