#include "engine/machine/attached_printers.h"

#include <cstdint>

#include "engine/limits.h"
#include "engine/machine/device_id_text.h"
#include "platform/codepage.h"
#include "platform/services.h"
#include "usb/usb_port.h"

namespace engine {

std::optional<std::u16string> AttachedPrinterModel() {
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = {};
    char16_t pid[usb::kIdCapacity] = {};
    const bool found = port.CUSBPort::OpenUsbPrinter(vid, pid) != 0;

    std::uint8_t reply[kDeviceIdCapacity] = {};
    platform::Dword returned = 0;
    port.GetDeviceId(reply, kDeviceIdCapacity, &returned);

    // The reply is 8-bit text in the ANSI code page of this thread.
    char16_t idText[kDeviceIdCapacity] = {};
    std::size_t length = DeviceIdTextLength(reply, kDeviceIdCapacity);
    if (length > 0) {
        int converted = platform::Get<platform::CodePage>().MultiByteToWideChar(
            platform::kThreadAnsiCodePage, 0, reinterpret_cast<const char*>(reply + 2),
            static_cast<int>(length), idText, static_cast<int>(kDeviceIdCapacity - 1));
        if (converted < 0 || converted >= static_cast<int>(kDeviceIdCapacity)) converted = 0;
        idText[converted] = 0;
    }
    char16_t model[kDeviceIdCapacity] = {};
    ExtractModel(idText, model, kDeviceIdCapacity);
    port.CloseDevice();
    if (!found) return std::nullopt;
    return std::u16string(model);
}

AttachedPrinters FindAttachedPrinters() {
    std::optional<std::u16string> model = AttachedPrinterModel();
    if (!model) return {};
    char16_t port[kNameCapacity] = {};
    CUSBPort detector;
    if (detector.FindUsbPortName(port, kNameCapacity) != 1) port[0] = 0;
    return {AttachedPrinter{std::move(*model), port}};
}

}  // namespace engine
