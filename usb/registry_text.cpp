#include "usb/registry_text.h"

#include <string>

#include "platform/registry.h"
#include "platform/text.h"

namespace usb {

bool RegistryValueToText(platform::Dword type, const std::uint8_t* data, platform::Dword size, char16_t* text,
                         platform::Dword capacity) {
    if (capacity == 0 || size > capacity) return false;

    if (type == platform::kRegDword) {
        if (size != sizeof(std::uint32_t)) return false;
        std::uint32_t raw = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                            std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
        std::u16string decimal = text::Decimal(static_cast<std::int32_t>(raw));
        return text::Copy(text, capacity, decimal.c_str());
    }

    if (type != platform::kRegSz && type != platform::kRegExpandSz && type != platform::kRegMultiSz)
        return false;

    // size <= capacity, so the characters (size / 2) and a terminator always fit.
    platform::Dword count = size / 2;
    platform::Dword i = 0;
    for (; i < count; ++i) {
        char16_t c = char16_t(data[2 * i] | data[2 * i + 1] << 8);
        if (c == 0) break;
        text[i] = c;
    }
    text[i] = 0;
    return true;
}

}  // namespace usb
