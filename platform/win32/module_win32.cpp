// The program's path: forwarder to kernel32.
#include <windows.h>

#include "platform/module.h"
#include "platform/services.h"
#include "platform/win32/casts.h"

namespace platform {
namespace {

struct Win32Module final : Module {
    Dword GetModuleFileNameW(char16_t* buffer, Dword size) override {
        return ::GetModuleFileNameW(nullptr, AsWide(buffer), size);
    }
};

}  // namespace

template <>
Module& Default<Module>() {
    static Win32Module instance;
    return instance;
}

}  // namespace platform
