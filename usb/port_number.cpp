#include "usb/port_number.h"

#include <climits>
#include <string>

#include "platform/text.h"

namespace usb {

int ParsePortNumber(const char16_t* text) {
    std::size_t i = 0;
    while (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')) ++i;
    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-') negative = text[i++] == u'-';
    long long value = 0;
    for (; text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool FormatUsbPortName(int number, char16_t* name, std::size_t capacity) {
    std::u16string digits = text::Decimal(number < 0 ? -static_cast<long long>(number) : number);
    std::u16string formatted = u"USB";
    // "%03d": the width counts the sign, the zeros go between sign and digits.
    std::size_t width = number < 0 ? 2 : 3;
    if (number < 0) formatted += u'-';
    if (digits.size() < width) formatted.append(width - digits.size(), u'0');
    formatted += digits;
    if (formatted.size() >= capacity) return false;
    return text::Copy(name, capacity, formatted.c_str());
}

}  // namespace usb
