// Text conversions for the tests: the engine's UTF-16 (char16_t) as UTF-8 for readable
// comparisons and failure messages, and, in the Windows builds, the system's wide text
// and its code pages.
#pragma once

#include <string>

#include "platform/text.h"

// UTF-8 of zero-terminated UTF-16; nullptr gives an empty text.
inline std::string Utf8(const char16_t* s) {
    return s ? text::ToUtf8(s) : std::string();
}

// A zero-terminated buffer of UTF-16 as a string, for comparisons with literals.
inline std::u16string U16(const char16_t* s) {
    return s ? std::u16string(s) : std::u16string();
}

#ifdef _WIN32

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

inline std::u16string U16(const std::wstring& s) {
    return std::u16string(s.begin(), s.end());
}

inline std::wstring Wide(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

#endif  // _WIN32
