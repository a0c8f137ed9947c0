// Vendor and product ID in a device path or device instance ID.
#pragma once

#include <cstddef>
#include <string>

namespace usb {

// Four characters and the terminating zero.
constexpr std::size_t kIdCapacity = 5;
// Device paths and device instance IDs are handled in buffers of this many characters.
constexpr std::size_t kDevicePathCapacity = 260;

// Looks in an upper-case copy of the first 259 characters of text for the first "VID_"
// and the first "PID_" and takes the at most four characters after each (not checked to
// be hexadecimal). Writes vid and pid (kIdCapacity each) only when both were found.
bool ParseVidPid(const char16_t* text, char16_t* vid, char16_t* pid);

// The device instance ID a device interface's path names. Windows forms the path of an
// interface of a device as "\\?\", the device instance ID with each "\" as "#", then "#"
// and the interface class GUID ("\\?\usb#vid_1a2b&pid_3c4d#kv0001#{28d78fad-...}" belongs
// to USB\VID_1A2B&PID_3C4D\KV0001; the case may differ). Empty for a path of another
// form.
std::u16string InstanceIdOfInterface(const char16_t* devicePath);

}  // namespace usb
