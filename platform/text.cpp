#include "platform/text.h"

namespace text {

std::size_t Length(const char16_t* s) {
    std::size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

std::size_t LengthBounded(const char16_t* s, std::size_t max) {
    std::size_t n = 0;
    while (n < max && s[n] != 0) ++n;
    return n;
}

bool Copy(char16_t* dest, std::size_t capacity, const char16_t* src) {
    if (capacity == 0) return false;
    std::size_t i = 0;
    for (; i + 1 < capacity && src[i] != 0; ++i) dest[i] = src[i];
    dest[i] = 0;
    return src[i] == 0;
}

bool Append(char16_t* dest, std::size_t capacity, const char16_t* src) {
    std::size_t used = LengthBounded(dest, capacity);
    if (used >= capacity) return false;
    return Copy(dest + used, capacity - used, src);
}

bool Equal(const char16_t* a, const char16_t* b) {
    std::size_t i = 0;
    for (; a[i] != 0 && a[i] == b[i]; ++i) {
    }
    return a[i] == b[i];
}

bool StartsWith(const char16_t* s, const char16_t* prefix, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (s[i] == 0 || s[i] != prefix[i]) return false;
    }
    return true;
}

char16_t UpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

bool EqualNoCase(const char16_t* a, const char16_t* b) {
    std::size_t i = 0;
    for (; a[i] != 0 && UpperAscii(a[i]) == UpperAscii(b[i]); ++i) {
    }
    return UpperAscii(a[i]) == UpperAscii(b[i]);
}

bool StartsWithNoCase(const char16_t* s, const char16_t* prefix) {
    for (std::size_t i = 0; prefix[i] != 0; ++i) {
        if (s[i] == 0 || UpperAscii(s[i]) != UpperAscii(prefix[i])) return false;
    }
    return true;
}

std::size_t Find(const char16_t* haystack, const char16_t* needle, std::size_t start) {
    std::size_t n = Length(haystack);
    std::size_t m = Length(needle);
    if (start > n || m > n - start) return npos;
    for (std::size_t i = start; i + m <= n; ++i) {
        if (StartsWith(haystack + i, needle, m)) return i;
    }
    return npos;
}

std::u16string Quoted(std::u16string_view value, std::size_t shown) {
    std::u16string out = u"\"";
    out.append(value.substr(0, shown));
    if (value.size() > shown) out.append(u"...");
    return out.append(u"\"");
}

bool BreaksQuotes(const char16_t* value) {
    std::size_t length = Length(value);
    return Find(value, u"\"") != npos || (length > 0 && value[length - 1] == u'\\');
}

namespace {

std::u16string Digits(unsigned long long magnitude, unsigned base, std::size_t minimumDigits, bool negative,
                      const char16_t* alphabet) {
    char16_t digits[24];  // a 64-bit magnitude has at most 20 decimal digits
    std::size_t n = 0;
    do {
        digits[n++] = alphabet[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    std::u16string out;
    if (negative) out.push_back(u'-');
    if (minimumDigits > n) out.append(minimumDigits - n, u'0');
    while (n > 0) out.push_back(digits[--n]);
    return out;
}

}  // namespace

std::u16string Decimal(long long value, std::size_t minimumDigits) {
    unsigned long long magnitude =
        value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    return Digits(magnitude, 10, minimumDigits, value < 0, u"0123456789");
}

std::u16string Hex(unsigned long long value, std::size_t minimumDigits, bool capitals) {
    return Digits(value, 16, minimumDigits, false, capitals ? u"0123456789ABCDEF" : u"0123456789abcdef");
}

std::u16string FromUtf8(const std::string& s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        int extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c >> 5) == 6) { cp = c & 0x1F; extra = 1; }
        else if ((c >> 4) == 14) { cp = c & 0x0F; extra = 2; }
        else if ((c >> 3) == 30) { cp = c & 0x07; extra = 3; }
        else { out.push_back(0xFFFD); ++i; continue; }
        if (i + extra >= s.size() && extra > 0) {
            out.push_back(0xFFFD);
            break;
        }
        ++i;
        for (int k = 0; k < extra; ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c < 0xDC00;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c < 0xE000;
}

}  // namespace

Utf8Converted ToUtf8Bounded(std::u16string_view s, char* out, std::size_t capacity) {
    Utf8Converted result;
    while (result.consumed < s.size()) {
        char32_t c = s[result.consumed];
        std::size_t units = 1;
        if (IsHighSurrogate(c) && result.consumed + 1 < s.size() && IsLowSurrogate(s[result.consumed + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[result.consumed + 1] - 0xDC00);
            units = 2;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = kReplacement;
        }
        std::size_t bytes = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes > capacity - result.written) break;
        char* p = out + result.written;
        if (bytes == 1) {
            p[0] = static_cast<char>(c);
        } else {
            // Lead byte: 110xxxxx, 1110xxxx or 11110xxx; then 10xxxxxx each.
            static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
            for (std::size_t k = bytes - 1; k > 0; --k) {
                p[k] = static_cast<char>(0x80 | (c & 0x3F));
                c >>= 6;
            }
            p[0] = static_cast<char>(kLead[bytes] | c);
        }
        result.written += bytes;
        result.consumed += units;
    }
    return result;
}

std::string ToUtf8(std::u16string_view s) {
    // A unit alone needs at most 3 bytes, a pair of them 4.
    std::string out(s.size() * 3, '\0');
    out.resize(ToUtf8Bounded(s, out.data(), out.size()).written);
    return out;
}

}  // namespace text
