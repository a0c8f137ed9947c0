// Finding the port the USB port monitor gave the attached printer, from the values it
// keeps below the USB printing interface class key. All registry access is read-only.
#include <string>
#include <utility>

#include "platform/registry.h"
#include "platform/services.h"
#include "platform/text.h"
#include "usb/port_number.h"
#include "usb/registry_text.h"
#include "usb/usb_port.h"

std::int32_t CUSBPort::FindUsbPortName(char16_t* portName, std::size_t capacity) {
    std::int32_t result = 0;
    char16_t vid[usb::kIdCapacity];
    char16_t pid[usb::kIdCapacity];
    if (OpenUsbPrinter(vid, pid)) {
        char16_t text[kValueCapacity] = {};
        std::int32_t noMoreSubkeys = 0;
        for (platform::Dword n = 0; !noMoreSubkeys; ++n) {
            if (!ReadInterfaceValue(usb::kLinked, n, text, kValueCapacity, &noMoreSubkeys)) continue;
            if (!text::Equal(text, u"1")) continue;
            if (!ReadInterfaceValue(usb::kDeviceInstance, n, text, kValueCapacity, &noMoreSubkeys)) continue;
            char16_t v[usb::kIdCapacity];
            char16_t p[usb::kIdCapacity];
            if (!ParseVidPid(text, v, p)) continue;
            if (!text::Equal(v, vid) || !text::Equal(p, pid)) continue;

            // The first linked interface of the printer's VID and PID ends the scan, with
            // or without a readable port number.
            if (ReadInterfaceValue(usb::kPortNumber, n, text, kValueCapacity, &noMoreSubkeys)) {
                result = usb::FormatUsbPortName(usb::ParsePortNumber(text), portName, capacity) ? 1 : 0;
            }
            break;
        }
    }
    CloseDevice();
    return result;
}

std::int32_t CUSBPort::FindPortOfInterface(const char16_t* devicePath, char16_t* portName, std::size_t capacity) {
    const std::u16string instance = usb::InstanceIdOfInterface(devicePath);
    if (instance.empty()) return 0;
    char16_t text[kValueCapacity] = {};
    std::int32_t noMoreSubkeys = 0;
    for (platform::Dword n = 0; !noMoreSubkeys; ++n) {
        if (!ReadInterfaceValue(usb::kLinked, n, text, kValueCapacity, &noMoreSubkeys)) continue;
        if (!text::Equal(text, u"1")) continue;
        if (!ReadInterfaceValue(usb::kDeviceInstance, n, text, kValueCapacity, &noMoreSubkeys)) continue;
        if (!text::EqualNoCase(text, instance.c_str())) continue;
        if (!ReadInterfaceValue(usb::kPortNumber, n, text, kValueCapacity, &noMoreSubkeys)) return 0;
        return usb::FormatUsbPortName(usb::ParsePortNumber(text), portName, capacity) ? 1 : 0;
    }
    return 0;
}

std::int32_t CUSBPort::ReadInterfaceValue(int selector, platform::Dword index, char16_t* text,
                                          platform::Dword capacity, std::int32_t* noMoreSubkeys) {
    *noMoreSubkeys = 0;
    if (selector < 0 || selector >= usb::kInterfaceValueCount) return 0;
    auto& registry = platform::Get<platform::Registry>();

    platform::RegistryKey classKey(registry.SetupDiOpenClassRegKeyExW(
        &usb::kUsbPrintInterfaceClass, platform::kKeyRead, platform::kDiocrInterface, nullptr, nullptr));
    if (!classKey) {
        // Without the class key there is nothing to scan; the next index would fail alike.
        *noMoreSubkeys = 1;
        return 0;
    }

    char16_t name[kSubkeyNameCapacity] = {};
    platform::Dword nameLength = kSubkeyNameCapacity;
    platform::Long status =
        registry.RegEnumKeyExW(classKey.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (status != platform::kErrorSuccess) {
        // A name too long for the buffer concerns this subkey only; any other failure
        // (no more subkeys, or the key itself unreadable) would repeat at every index.
        if (status != static_cast<platform::Long>(platform::kErrorMoreData)) *noMoreSubkeys = 1;
        return 0;
    }
    std::size_t length = text::LengthBounded(name, kSubkeyNameCapacity);
    if (length > kMaxSubkeyNameLength) return 0;

    // The subkey's name, its zero, then the selector's path with its own two zeros.
    const usb::InterfaceValueLocation& location = usb::kInterfaceValues[selector];
    char16_t path[kMaxSubkeyNameLength + 1 + usb::kLongestValuePath] = {};
    for (std::size_t i = 0; i < length; ++i) path[i] = name[i];
    for (std::size_t i = 0; i < location.pathLength; ++i) path[length + 1 + i] = location.path[i];

    platform::RegistryKey key = OpenKeyPath(classKey.get(), path);
    if (!key) return 0;
    return QueryValueText(key.get(), selector, text, capacity);
}

platform::RegistryKey CUSBPort::OpenKeyPath(platform::Key parent, const char16_t* names) {
    auto& registry = platform::Get<platform::Registry>();
    platform::RegistryKey current;
    platform::Key below = parent;
    if (names == nullptr || names[0] == 0) return current;
    for (const char16_t* name = names; *name != 0; name += text::Length(name) + 1) {
        platform::Key opened = nullptr;
        if (registry.RegOpenKeyExW(below, name, 0, platform::kKeyRead, &opened) != platform::kErrorSuccess ||
            !platform::IsOpenHandle(opened)) {
            return platform::RegistryKey();
        }
        // The key above is closed only now that the one below it is open.
        current = platform::RegistryKey(opened);
        below = current.get();
    }
    return current;
}

std::int32_t CUSBPort::QueryValueText(platform::Key key, int selector, char16_t* text,
                                      platform::Dword capacity) {
    if (selector < 0 || selector >= usb::kInterfaceValueCount) return 0;
    std::uint8_t data[kValueBufferSize];
    platform::Dword type = 0;
    platform::Dword size = kValueBufferSize;
    if (platform::Get<platform::Registry>().RegQueryValueExW(key, usb::kInterfaceValues[selector].valueName,
                                                             nullptr, &type, data,
                                                             &size) != platform::kErrorSuccess) {
        return 0;
    }
    if (size > kValueBufferSize) return 0;
    return usb::RegistryValueToText(type, data, size, text, capacity) ? 1 : 0;
}
