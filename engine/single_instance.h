// One setup at a time on the machine: a mutex in the global namespace, so that runs in
// other sessions (a deployment agent's, another user's) count too. Its owner holds it
// for the whole run; the mutex goes when the last handle to it is closed, also when the
// program ends without closing it.
#pragma once

#include "platform/instance_mutex.h"
#include "platform/types.h"

namespace engine {

extern const char16_t kInstanceMutexName[];  // "Global\TamrinPrinterSetup"

enum class InstanceState {
    Alone,           // this run holds the mutex
    AnotherRunning,  // another run holds it
    Unknown,         // it could not be had; error says why
};

class SingleInstance {
public:
    // Creates or opens the mutex of that name and keeps it while this run is the only one.
    explicit SingleInstance(const char16_t* name = kInstanceMutexName);

    InstanceState State() const { return state_; }
    platform::Dword Error() const { return error_; }

private:
    platform::MutexHandle mutex_;
    InstanceState state_ = InstanceState::Unknown;
    platform::Dword error_ = 0;
};

}  // namespace engine
