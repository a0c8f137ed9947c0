// Named mutexes: forwarders to kernel32.
#include <windows.h>

#include "platform/instance_mutex.h"
#include "platform/services.h"
#include "platform/win32/casts.h"

namespace platform {
namespace {

struct Win32Mutexes final : Mutexes {
    Handle CreateMutexW(const char16_t* name) override {
        return ::CreateMutexW(nullptr, FALSE, AsWide(name));
    }
    Bool CloseHandle(Handle mutex) override { return ::CloseHandle(mutex); }
    Dword GetLastError() override { return ::GetLastError(); }
    void SetLastError(Dword error) override { ::SetLastError(error); }
};

}  // namespace

template <>
Mutexes& Default<Mutexes>() {
    static Win32Mutexes instance;
    return instance;
}

}  // namespace platform
