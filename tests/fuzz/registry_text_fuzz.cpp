// Registry value data as text, and the port name made from it. The input is the value's
// type (one byte), the caller's capacity (one byte), then the data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/text.h"
#include "usb/port_number.h"
#include "usb/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size - 2 > 520) return 0;  // the working buffer holds 520 bytes
    platform::Dword type = data[0] % 12;
    platform::Dword capacity = data[1] + 1u;
    platform::Dword length = static_cast<platform::Dword>(size - 2);

    // Exactly as large as the capacity, so that any write beyond it is caught.
    char16_t* value = new char16_t[capacity];
    if (usb::RegistryValueToText(type, data + 2, length, value, capacity)) {
        if (length > capacity) std::abort();
        if (text::LengthBounded(value, capacity) >= capacity) std::abort();

        char16_t* name = new char16_t[8];
        int number = usb::ParsePortNumber(value);
        if (usb::FormatUsbPortName(number, name, 8) && text::LengthBounded(name, 8) >= 8) std::abort();
        delete[] name;
    }
    delete[] value;
    return 0;
}
