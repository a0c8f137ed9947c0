// The wizard's wide text and the engine's char16_t text are the same UTF-16 code units
// on Windows; these views pass one as the other without copying.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wizard needs 16-bit wchar_t");

inline const char16_t* AsU16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}
inline const wchar_t* AsWide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
