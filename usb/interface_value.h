// The values the USB port monitor keeps for each USB printing interface, below that
// interface's subkey of the interface class key.
#pragma once

#include <cstddef>

#include "platform/guid.h"

namespace usb {

// GUID_DEVINTERFACE_USBPRINT {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}
inline constexpr platform::Guid kUsbPrintInterfaceClass = {
    0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};

enum InterfaceValue : int {
    kDeviceInstance = 0,
    kSymbolicLink = 1,
    kLinked = 2,
    kPortDescription = 3,
    kPortNumber = 4,
};
constexpr int kInterfaceValueCount = 5;

// Key paths below the interface's subkey: each name ends with a zero, and one more zero
// ends the path (the literal's own terminator).
inline constexpr char16_t kNoPath[] = u"";
inline constexpr char16_t kSymbolicLinkPath[] = u"#\0";
inline constexpr char16_t kLinkedPath[] = u"#\0Control\0";
inline constexpr char16_t kDeviceParametersPath[] = u"#\0Device Parameters\0";

static_assert(sizeof kSymbolicLinkPath == 6);
static_assert(sizeof kLinkedPath == 22);
static_assert(sizeof kDeviceParametersPath == 42);

// In characters, both final zeros included.
constexpr std::size_t kLongestValuePath = sizeof kDeviceParametersPath / sizeof(char16_t);

struct InterfaceValueLocation {
    const char16_t* valueName;
    const char16_t* path;
    std::size_t pathLength;  // in characters, both final zeros included
};

inline constexpr InterfaceValueLocation kInterfaceValues[kInterfaceValueCount] = {
    {u"DeviceInstance", kNoPath, sizeof kNoPath / sizeof(char16_t)},
    {u"SymbolicLink", kSymbolicLinkPath, sizeof kSymbolicLinkPath / sizeof(char16_t)},
    {u"Linked", kLinkedPath, sizeof kLinkedPath / sizeof(char16_t)},
    {u"Port Description", kDeviceParametersPath, sizeof kDeviceParametersPath / sizeof(char16_t)},
    {u"Port Number", kDeviceParametersPath, sizeof kDeviceParametersPath / sizeof(char16_t)},
};

static_assert([] {
    for (const InterfaceValueLocation& location : kInterfaceValues) {
        if (location.pathLength > kLongestValuePath) return false;
    }
    return true;
}());

}  // namespace usb
