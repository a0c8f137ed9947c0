// Pauses: forwarder to kernel32.
#include <windows.h>

#include "platform/services.h"
#include "platform/timing.h"

namespace platform {
namespace {

struct Win32Timing final : Timing {
    void Sleep(Dword milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

template <>
Timing& Default<Timing>() {
    static Win32Timing instance;
    return instance;
}

}  // namespace platform
