// Pausing the calling thread.
#pragma once

#include "platform/types.h"

namespace platform {

struct Timing {
    virtual void Sleep(Dword milliseconds) = 0;

protected:
    ~Timing() = default;
};

}  // namespace platform
