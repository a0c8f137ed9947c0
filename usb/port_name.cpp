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

namespace {

// "USB" and the port number of the first linked interface whose device instance
// `matches`: that interface ends the scan, with or without a readable port number.
template <class Matches>
std::int32_t PortOfFirstLinked(CUSBPort& port, Matches matches, char16_t* portName, std::size_t capacity) {
    constexpr platform::Dword kCapacity = CUSBPort::kValueCapacity;
    char16_t text[kCapacity] = {};
    std::int32_t noMoreSubkeys = 0;
    for (platform::Dword n = 0; !noMoreSubkeys; ++n) {
        if (!port.ReadInterfaceValue(usb::kLinked, n, text, kCapacity, &noMoreSubkeys)) continue;
        if (!text::Equal(text, u"1")) continue;
        if (!port.ReadInterfaceValue(usb::kDeviceInstance, n, text, kCapacity, &noMoreSubkeys)) continue;
        if (!matches(text)) continue;
        if (!port.ReadInterfaceValue(usb::kPortNumber, n, text, kCapacity, &noMoreSubkeys)) return 0;
        return usb::FormatUsbPortName(usb::ParsePortNumber(text), portName, capacity) ? 1 : 0;
    }
    return 0;
}

}  // namespace

std::int32_t CUSBPort::FindUsbPortName(char16_t* portName, std::size_t capacity) {
    std::int32_t result = 0;
    char16_t vid[usb::kIdCapacity];
    char16_t pid[usb::kIdCapacity];
    if (OpenUsbPrinter(vid, pid)) {
        // By the printer's VID and PID alone.
        auto sameIds = [&](const char16_t* instance) {
            char16_t v[usb::kIdCapacity];
            char16_t p[usb::kIdCapacity];
            return ParseVidPid(instance, v, p) && text::Equal(v, vid) && text::Equal(p, pid);
        };
        result = PortOfFirstLinked(*this, sameIds, portName, capacity);
    }
    CloseDevice();
    return result;
}

std::int32_t CUSBPort::FindPortOfInterface(const char16_t* devicePath, char16_t* portName, std::size_t capacity) {
    const std::u16string instance = usb::InstanceIdOfInterface(devicePath);
    if (instance.empty()) return 0;
    auto sameInstance = [&](const char16_t* text) { return text::EqualNoCase(text, instance.c_str()); };
    return PortOfFirstLinked(*this, sameInstance, portName, capacity);
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
