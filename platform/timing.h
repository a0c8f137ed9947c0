// Pausing the calling thread.
#pragma once

#include "platform/types.h"

namespace platform {

struct Timing {
    virtual ~Timing() = default;
    virtual void Sleep(Dword milliseconds) = 0;
};

}  // namespace platform
