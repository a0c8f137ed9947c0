// Message boxes: forwarder to user32.
#include <windows.h>

#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/win32/casts.h"

namespace platform {
namespace {

struct Win32MessageBoxes final : MessageBoxes {
    int MessageBoxW(Handle owner, const char16_t* text, const char16_t* caption, Dword type) override {
        if (!owner) owner = OwnerForUnowned();
        return ::MessageBoxW(static_cast<HWND>(owner), AsWide(text), AsWide(caption), type);
    }
};

}  // namespace

template <>
MessageBoxes& Default<MessageBoxes>() {
    static Win32MessageBoxes instance;
    return instance;
}

}  // namespace platform
