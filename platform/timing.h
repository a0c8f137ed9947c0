// Pausing the calling thread, and the time since the system started.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace platform {

struct Timing {
    virtual void Sleep(Dword milliseconds) = 0;
    // As GetTickCount64: milliseconds since the system started.
    virtual std::uint64_t GetTickCount64() = 0;

protected:
    ~Timing() = default;
};

}  // namespace platform
