// Waiting for and closing kernel objects (processes, threads, events, open devices):
// kernel32. One service for every kind of kernel object, whichever service gave it out.
#pragma once

#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kWaitObject0 = 0;
constexpr Dword kWaitTimeout = 0x102;
constexpr Dword kWaitFailed = 0xFFFFFFFF;

struct KernelObjects {
    virtual Dword WaitForSingleObject(Handle object, Dword milliseconds) = 0;
    virtual Bool CloseHandle(Handle object) = 0;

protected:
    ~KernelObjects() = default;
};

using KernelObjectTraits = ServiceHandleTraits<KernelObjects, &KernelObjects::CloseHandle>;
using KernelObject = ScopedHandle<KernelObjectTraits>;

}  // namespace platform
