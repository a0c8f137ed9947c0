// A call that needs its window (of a page or a control) but is made without one is the
// caller's mistake: a debug build stops there. A release build goes on, and the call
// gives its documented result for "no window" (FALSE, 0, LB_ERR or nothing).
#pragma once

#include <cassert>

#define TAMRIN_REQUIRE_WINDOW(hwnd) assert((hwnd) != nullptr && "called without its window")
