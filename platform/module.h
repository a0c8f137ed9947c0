// The path of the running program.
#pragma once

#include "platform/types.h"

namespace platform {

struct Module {
    // The full path of the running program (module none), as GetModuleFileNameW gives it.
    virtual Dword GetModuleFileNameW(char16_t* buffer, Dword size) = 0;

protected:
    ~Module() = default;
};

}  // namespace platform
