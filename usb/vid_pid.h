// Vendor and product ID in a device path or device instance ID.
#pragma once

#include <cstddef>

namespace usb {

// Four characters and the terminating zero.
constexpr std::size_t kIdCapacity = 5;
// Device paths and device instance IDs are handled in buffers of this many characters.
constexpr std::size_t kDevicePathCapacity = 260;

// Looks in an upper-case copy of the first 259 characters of text for the first "VID_"
// and the first "PID_" and takes the at most four characters after each (not checked to
// be hexadecimal). Writes vid and pid (kIdCapacity each) only when both were found.
bool ParseVidPid(const char16_t* text, char16_t* vid, char16_t* pid);

}  // namespace usb
