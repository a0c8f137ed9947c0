// The seam between the installer's logic and the operating system.
//
// Every platform service is a small interface (a struct of pure virtual calls that
// mirror the Windows calls the logic needs: same arguments, same results). A call whose
// error code the logic needs gives it with its value in a platform::Result
// (platform/result.h), taken at the call; no service keeps a last error of its own. The
// logic reaches a service only through platform::Get<Service>(). A build provides the
// default implementation of each service (platform/win32 forwards to Windows,
// platform/portable stands in elsewhere); tests put a fake in front of it with
// platform::ScopedService for the lifetime of the test.
//
// A service is never deleted through its interface, so the interface's destructor is
// protected and not virtual: the defaults, made once and never released, then need no
// destruction at exit.
#pragma once

#include "platform/types.h"

namespace platform {

// Defined once per service by the build's platform library.
template <class Service>
Service& Default();

template <class Service>
struct ActiveService {
    static inline Service* override = nullptr;
};

template <class Service>
Service& Get() {
    Service* active = ActiveService<Service>::override;
    return active ? *active : Default<Service>();
}

// Installs a replacement for one service and restores the previous one when it ends.
// Not thread-safe by design: tests install fakes before they start any worker.
template <class Service>
class ScopedService {
public:
    explicit ScopedService(Service& replacement) : previous_(ActiveService<Service>::override) {
        ActiveService<Service>::override = &replacement;
    }
    ~ScopedService() { ActiveService<Service>::override = previous_; }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service* previous_;
};

// Traits for platform::ScopedHandle of a handle that the service releases with one call
// (`Release`, a member of the service taking the handle).
template <class Service, auto Release>
struct ServiceHandleTraits {
    using handle_type = Handle;
    static Handle GetInvalid() { return nullptr; }
    static bool IsValid(Handle h) { return IsOpenHandle(h); }
    static void Close(Handle h) { (Get<Service>().*Release)(h); }
};

}  // namespace platform
