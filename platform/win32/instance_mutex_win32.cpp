// Named mutexes: forwarders to kernel32.
#include <windows.h>

#include "platform/instance_mutex.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

struct Win32Mutexes final : Mutexes {
    Result<Handle> CreateMutexW(const char16_t* name) override {
        return WithReportedError<Handle>([name] { return ::CreateMutexW(nullptr, FALSE, AsWide(name)); });
    }
    Result<Bool> CloseHandle(Handle mutex) override { return WithLastError<Bool>(::CloseHandle(mutex)); }
};

}  // namespace

template <>
Mutexes& Default<Mutexes>() {
    static Win32Mutexes instance;
    return instance;
}

}  // namespace platform
