#include "engine/single_instance.h"

#include "platform/services.h"

namespace engine {

const char16_t kInstanceMutexName[] = u"Global\\TamrinPrinterSetup";

SingleInstance::SingleInstance(const char16_t* name) {
    platform::Result<platform::Handle> created = platform::Get<platform::Mutexes>().CreateMutexW(name);
    if (created.ok()) {
        mutex_.reset(created.value);
        if (created.error == platform::kErrorAlreadyExists) {
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
    state_ = created.error == platform::kErrorAccessDenied ? InstanceState::AnotherRunning
                                                           : InstanceState::Unknown;
    error_ = created.error;
}

}  // namespace engine
