// Named mutexes (kernel32), for telling whether another instance of the program runs.
// The handle is released by this service, so that the portable stand-in can keep its
// own kind of handle.
#pragma once

#include "platform/result.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

struct Mutexes {
    // As CreateMutexW(nullptr, FALSE, name): a handle to a new mutex (error 0), or to the
    // one of that name that was there already (error ERROR_ALREADY_EXISTS); null, with
    // the error, on failure.
    virtual Result<Handle> CreateMutexW(const char16_t* name) = 0;
    virtual Result<Bool> CloseHandle(Handle mutex) = 0;

protected:
    ~Mutexes() = default;
};

using MutexTraits = ServiceHandleTraits<Mutexes, &Mutexes::CloseHandle>;
using MutexHandle = ScopedHandle<MutexTraits>;

}  // namespace platform
