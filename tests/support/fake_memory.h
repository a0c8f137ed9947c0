// Allocation that records the sizes asked for and can be made to fail, as a whole or
// for blocks above a limit.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "platform/memory.h"
#include "platform/services.h"

struct ScriptedMemory final : platform::Memory {
    bool fail = false;
    std::size_t limit = static_cast<std::size_t>(-1);
    std::vector<std::size_t> requests;
    int live = 0;
    platform::ScopedService<platform::Memory> scope{*this};

    void* Allocate(std::size_t bytes) override {
        requests.push_back(bytes);
        if (fail || bytes > limit) return nullptr;
        ++live;
        return ::operator new(bytes, std::nothrow);
    }
    void Free(void* block) override {
        --live;
        ::operator delete(block);
    }
};
