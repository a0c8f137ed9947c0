// The wizard's wide text and the engine's char16_t text are the same UTF-16 code units
// on Windows; the seam's views pass one as the other without copying.
#pragma once

#include "platform/win32/casts.h"

using platform::AsU16;
using platform::AsWide;
