// Pauses and the system clock: forwarders to kernel32.
#include <windows.h>

#include "platform/services.h"
#include "platform/timing.h"

namespace platform {
namespace {

struct Win32Timing final : Timing {
    void Sleep(Dword milliseconds) override { ::Sleep(milliseconds); }
    std::uint64_t GetTickCount64() override { return ::GetTickCount64(); }
};

}  // namespace

template <>
Timing& Default<Timing>() {
    static Win32Timing instance;
    return instance;
}

}  // namespace platform
