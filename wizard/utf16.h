// The wizard's wide text and the engine's char16_t text are the same UTF-16 code units
// on Windows; the seam's views pass one as the other without copying.
#pragma once

#include <string>

#include "platform/win32/casts.h"

using platform::AsU16;
using platform::AsWide;

// The engine's text as the wizard's controls hold it.
inline std::wstring Wide(const std::u16string& text) {
    return std::wstring(AsWide(text.c_str()), text.size());
}
