// Buffer allocation, the same on every system: the C++ free store without exceptions.
#include <new>

#include "platform/memory.h"
#include "platform/services.h"

namespace platform {
namespace {

struct FreeStore final : Memory {
    void* Allocate(std::size_t bytes) override { return ::operator new(bytes, std::nothrow); }
    void Free(void* block) override { ::operator delete(block); }
};

}  // namespace

template <>
Memory& Default<Memory>() {
    static FreeStore instance;
    return instance;
}

}  // namespace platform
