// Waits and closes of kernel objects: forwarders to kernel32.
#include <windows.h>

#include "platform/kernel_objects.h"
#include "platform/services.h"

namespace platform {
namespace {

struct Win32KernelObjects final : KernelObjects {
    Dword WaitForSingleObject(Handle object, Dword milliseconds) override {
        return ::WaitForSingleObject(object, milliseconds);
    }
    Bool CloseHandle(Handle object) override { return ::CloseHandle(object); }
};

}  // namespace

template <>
KernelObjects& Default<KernelObjects>() {
    static Win32KernelObjects instance;
    return instance;
}

}  // namespace platform
