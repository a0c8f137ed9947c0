#include "engine/single_instance.h"

#include "platform/services.h"

namespace engine {

const char16_t kInstanceMutexName[] = u"Global\\TamrinPrinterSetup";

namespace {

constexpr platform::Dword kErrorAccessDenied = 5;
constexpr platform::Dword kErrorAlreadyExists = 183;

}  // namespace

SingleInstance::SingleInstance(const char16_t* name) {
    auto& mutexes = platform::Get<platform::Mutexes>();
    // The call promises ERROR_ALREADY_EXISTS for a mutex that was there, but nothing for a
    // new one; a last error left from before must not read as another run.
    mutexes.SetLastError(0);
    mutex_.reset(mutexes.CreateMutexW(name));
    platform::Dword error = mutexes.GetLastError();
    if (mutex_) {
        if (error == kErrorAlreadyExists) {
            // Closed at once: held, it would keep the mutex alive after the other run ends.
            mutex_.reset();
            state_ = InstanceState::AnotherRunning;
        } else {
            state_ = InstanceState::Alone;
        }
        return;
    }
    // The mutex is there but made by a run under another account, whose rights do not
    // grant this one full access.
    state_ = error == kErrorAccessDenied ? InstanceState::AnotherRunning : InstanceState::Unknown;
    error_ = error;
}

}  // namespace engine
