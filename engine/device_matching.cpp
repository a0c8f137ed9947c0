#include "engine/device_matching.h"

#include <string_view>

#include "engine/device_id_text.h"
#include "engine/inf_model_line.h"
#include "engine/limits.h"
#include "platform/codepage.h"
#include "platform/read_file.h"
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

std::optional<AttachedPrinter> FindAttachedPrinter() {
    std::optional<std::u16string> model = AttachedPrinterModel();
    if (!model) return std::nullopt;
    char16_t port[kNameCapacity] = {};
    CUSBPort detector;
    if (detector.FindUsbPortName(port, kNameCapacity) != 1) port[0] = 0;
    return AttachedPrinter{std::move(*model), port};
}

namespace {

// Driver INF lines are short; a longer one is no model line and is passed over, so that
// an oversized or damaged INF never needs more memory than this.
constexpr std::size_t kMaxInfLineBytes = 64 * 1024;

class HardwareIdSearch final : public platform::LineVisitor {
public:
    HardwareIdSearch(const char16_t* quotedName, std::size_t length)
        : pattern_(InfNamePattern(quotedName)), length_(length) {}

    bool OnLine(std::string_view line) override {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        char id[kHardwareIdCapacity] = {};
        if (!ReadHardwareIdFromInfLine(line, pattern_, length_, id, kHardwareIdCapacity)) return true;
        found_ = std::string(id);
        return false;
    }
    std::optional<std::string>& Found() { return found_; }

private:
    std::u16string pattern_;
    std::size_t length_;
    std::optional<std::string> found_;
};

}  // namespace

std::optional<std::string> HardwareIdInInf(const char16_t* infPath, const char16_t* quotedName,
                                           std::size_t length) {
    if (infPath == nullptr || quotedName == nullptr) return std::nullopt;
    HardwareIdSearch search(quotedName, length);
    // A missing file, or the bare driver folder of a model without a print-head type.
    if (!platform::ForEachLine(infPath, kMaxInfLineBytes, search)) return std::nullopt;
    return std::move(search.Found());
}

}  // namespace engine
