// Finding and opening the first attached USB printer.
#include <cstring>
#include <memory>

#include "platform/device.h"
#include "platform/services.h"
#include "platform/text.h"
#include "usb/usb_port.h"

namespace {

// Far beyond any device path the platform produces; a larger size is not believed.
constexpr platform::Dword kMaxDetailSize = 64 * 1024;

// A detail record of at least size bytes, zeroed, with room for a terminator after the
// path even when the platform wrote none.
class DetailBuffer {
public:
    explicit DetailBuffer(platform::Dword size)
        : words_((size + sizeof(char16_t) + sizeof(Word) - 1) / sizeof(Word)),
          storage_(new (std::nothrow) Word[words_]()) {}

    bool Allocated() const { return storage_ != nullptr; }
    platform::DeviceInterfaceDetail* Record() {
        return reinterpret_cast<platform::DeviceInterfaceDetail*>(storage_.get());
    }
    platform::Dword Size() const {
        return static_cast<platform::Dword>(words_ * sizeof(Word) - sizeof(char16_t));
    }

private:
    using Word = std::uint64_t;  // aligns the record for either layout
    std::size_t words_;
    std::unique_ptr<Word[]> storage_;
};

}  // namespace

std::int32_t CUSBPort::ParseVidPid(const char16_t* text, char16_t* vid, char16_t* pid) {
    return usb::ParseVidPid(text, vid, pid) ? 1 : 0;
}

bool CUSBPort::MoreInterfacesThanExamined() {
    auto& interfaces = platform::Get<platform::DeviceInterfaces>();
    platform::DeviceInfoSet set(
        interfaces.SetupDiGetClassDevsW(&usb::kUsbPrintInterfaceClass, nullptr, nullptr,
                                        platform::kDigcfPresent | platform::kDigcfDeviceInterface));
    platform::DeviceInterfaceData data{};
    data.size = sizeof data;
    return set && interfaces.SetupDiEnumDeviceInterfaces(set.get(), nullptr, &usb::kUsbPrintInterfaceClass,
                                                         kMaxInterfaces, &data);
}

std::int32_t CUSBPort::OpenUsbPrinter(char16_t* vid, char16_t* pid) {
    return OpenUsbPrinterFrom(0, vid, pid, nullptr, nullptr);
}

std::int32_t CUSBPort::OpenUsbPrinterFrom(platform::Dword from, char16_t* vid, char16_t* pid, platform::Dword* at,
                                          char16_t* foundPath) {
    auto& interfaces = platform::Get<platform::DeviceInterfaces>();
    auto& io = platform::Get<platform::DeviceIo>();
    CloseDevice();

    platform::DeviceInfoSet set(
        interfaces.SetupDiGetClassDevsW(&usb::kUsbPrintInterfaceClass, nullptr, nullptr,
                                        platform::kDigcfPresent | platform::kDigcfDeviceInterface));
    if (!set) return 0;

    for (platform::Dword i = from; i < kMaxInterfaces; ++i) {
        platform::DeviceInterfaceData data{};
        data.size = sizeof data;
        if (!interfaces.SetupDiEnumDeviceInterfaces(set.get(), nullptr, &usb::kUsbPrintInterfaceClass, i,
                                                    &data)) {
            break;
        }

        platform::Dword required = 0;
        interfaces.SetupDiGetDeviceInterfaceDetailW(set.get(), &data, nullptr, 0, &required, nullptr);
        if (required < platform::kDeviceInterfaceDetailSize) required = platform::kDeviceInterfaceDetailSize;
        if (required > kMaxDetailSize) continue;
        DetailBuffer detail(required);
        if (!detail.Allocated()) continue;
        detail.Record()->size = platform::kDeviceInterfaceDetailSize;
        if (!interfaces.SetupDiGetDeviceInterfaceDetailW(set.get(), &data, detail.Record(), detail.Size(),
                                                         nullptr, nullptr)) {
            continue;
        }

        const char16_t* devicePath = detail.Record()->devicePath;
        platform::Result<platform::Handle> device =
            io.CreateFileW(devicePath, platform::kGenericRead | platform::kGenericWrite, 0, nullptr,
                           platform::kOpenExisting, platform::kFileFlagOverlapped, nullptr);
        char16_t path[usb::kDevicePathCapacity];
        text::Copy(path, usb::kDevicePathCapacity, devicePath);
        if (!device.ok()) continue;
        deviceHandle.reset(device.value);

        if (ParseVidPid(path, vid, pid)) {
            if (at) *at = i;
            if (foundPath) text::Copy(foundPath, usb::kDevicePathCapacity, path);
            return 1;
        }
        CloseDevice();
    }
    return 0;
}
