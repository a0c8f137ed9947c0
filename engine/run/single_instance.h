// One setup at a time on the machine: a mutex that runs in every session (a deployment
// agent's, another user's) find. It lives in a private namespace whose boundary is the
// Administrators group and which only Administrators and SYSTEM may open, so no standard
// user can make it first or hold it; only where the system lacks private namespaces it
// has the global name "Global\<name>", which anyone could take first (the run then ends
// as if another setup ran). Either way its own security admits Administrators and SYSTEM
// only. Its owner holds it for the whole run; the mutex goes when the last
// handle to it is closed, also when the program ends without closing it.
#pragma once

#include <string>

#include "platform/instance_mutex.h"
#include "platform/types.h"

namespace engine {

extern const char16_t kInstanceName[];       // "TamrinPrinterSetup"
extern const char16_t kNamespaceBoundary[];  // the boundary descriptor's name
extern const char16_t kNamespaceAlias[];     // the namespace's prefix

enum class InstanceState {
    Alone,           // this run holds the mutex
    AnotherRunning,  // another run holds it
    Unknown,         // whether another run holds it cannot be known
};

struct InstanceStatus {
    InstanceState state = InstanceState::Unknown;
    // Unknown: what could not be done, and the error of the call that failed.
    std::u16string failure;
    platform::Dword error = 0;
    // The mutex has the global name: the system has no private namespaces.
    bool globalName = false;
};

class SingleInstance {
public:
    // Creates or opens the mutex of that name and keeps it while this run is the only one.
    explicit SingleInstance(const char16_t* name = kInstanceName);

    const InstanceStatus& Status() const { return status_; }

private:
    // Declared first so that it is released last: the mutex is found through it.
    platform::PrivateNamespaceHandle namespace_;
    platform::MutexHandle mutex_;
    InstanceStatus status_;
};

}  // namespace engine
