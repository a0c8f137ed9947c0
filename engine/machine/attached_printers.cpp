#include "engine/machine/attached_printers.h"

#include <cstdint>

#include "engine/limits.h"
#include "engine/machine/device_id_text.h"
#include "platform/codepage.h"
#include "platform/services.h"
#include "usb/usb_port.h"

namespace engine {

namespace {

// The model of the printer open in `port`, from its device-ID reply; closes it.
std::u16string ModelOfOpenPrinter(CUSBPort& port) {
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
    return model;
}

}  // namespace

std::optional<std::u16string> AttachedPrinterModel() {
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = {};
    char16_t pid[usb::kIdCapacity] = {};
    const bool found = port.CUSBPort::OpenUsbPrinter(vid, pid) != 0;
    std::u16string model = ModelOfOpenPrinter(port);
    if (!found) return std::nullopt;
    return model;
}

AttachedPrinters FindAttachedPrinters() {
    AttachedPrinters attached;
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = {};
    char16_t pid[usb::kIdCapacity] = {};
    char16_t path[usb::kDevicePathCapacity] = {};
    platform::Dword at = 0;
    for (platform::Dword from = 0; port.OpenUsbPrinterFrom(from, vid, pid, &at, path); from = at + 1) {
        AttachedPrinter printer;
        printer.model = ModelOfOpenPrinter(port);
        char16_t name[kNameCapacity] = {};
        if (port.FindPortOfInterface(path, name, kNameCapacity) == 1) printer.port = name;
        attached.printers.push_back(std::move(printer));
    }
    attached.moreNotExamined = CUSBPort::MoreInterfacesThanExamined();
    return attached;
}

}  // namespace engine
