// Message boxes for the user.
#pragma once

#include "platform/types.h"

namespace platform {

constexpr Dword kIconError = 0x10;  // MB_ICONERROR
constexpr int kIdOk = 1;            // IDOK

struct MessageBoxes {
    // Returns when the user has dismissed the box, with the button pressed.
    virtual int MessageBoxW(Handle owner, const char16_t* text, const char16_t* caption, Dword type) = 0;

protected:
    ~MessageBoxes() = default;
};

}  // namespace platform
