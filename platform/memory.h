// Allocation of variable-sized buffers whose size the platform dictates (enumeration
// buffers), so that a failed allocation is an ordinary result the logic handles and
// tests can bring about.
#pragma once

#include <cstddef>

#include "platform/services.h"

namespace platform {

struct Memory {
    // A block aligned for any record, or nullptr when it cannot be had.
    virtual void* Allocate(std::size_t bytes) = 0;
    virtual void Free(void* block) = 0;

protected:
    ~Memory() = default;
};

// A block from Allocate, for platform::ScopedHandle.
using MemoryBlockTraits = ServiceHandleTraits<Memory, &Memory::Free>;

}  // namespace platform
