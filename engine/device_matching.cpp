// Matching the attached printer and the driver files: the model in the printer's device
// ID, and the hardware ID of a printer in the driver INF.
#include <string>
#include <string_view>

#include "engine/device_id_text.h"
#include "engine/inf_model_line.h"
#include "engine/printer_installer.h"
#include "platform/codepage.h"
#include "platform/read_file.h"
#include "platform/services.h"
#include "usb/usb_port.h"

std::int32_t CPrinterInstaller::ReadUsbPrinterModel(char16_t* model, std::size_t capacity) {
    CUSBPort port;
    char16_t vid[usb::kIdCapacity] = {};
    char16_t pid[usb::kIdCapacity] = {};
    std::int32_t found = port.CUSBPort::OpenUsbPrinter(vid, pid);

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
    ExtractModel(idText, model, capacity);
    port.CloseDevice();

    if (!found) {
        if (capacity > 0) model[0] = 0;
        return 0;
    }
    return 1;
}

std::int32_t CPrinterInstaller::FindHardwareIdInInf(const char16_t* infPath, const char16_t* quotedName,
                                                    std::int32_t length, char* hardwareId) {
    if (infPath == nullptr || quotedName == nullptr || hardwareId == nullptr || length < 0) return 0;
    std::string bytes;
    // A missing file, or the bare driver folder of a model without a print-head type.
    if (!platform::ReadWholeFile(infPath, bytes)) return 0;
    const std::u16string pattern = InfNamePattern(quotedName);
    std::string_view rest(bytes);
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (ReadHardwareIdFromInfLine(line, pattern, static_cast<std::size_t>(length), hardwareId,
                                      kHardwareIdCapacity)) {
            return 1;
        }
    }
    return 0;
}
