// The waits and closes of the fakes that give out kernel objects (a started process, an
// open device, an event). Each such fake is also the kernel object service while it
// lives; it takes the calls on the handles it gave out and hands the others to the fake
// installed before it, so that several fakes can live side by side. A handle no fake gave
// out ends with the first fake installed, which records it as it records a misuse of its
// own handles.
#pragma once

#include "platform/kernel_objects.h"
#include "platform/services.h"

class KernelObjectsFake : public platform::KernelObjects {
public:
    platform::Dword WaitForSingleObject(platform::Handle object, platform::Dword milliseconds) final {
        if (!GaveOut(object) && previous_) return previous_->WaitForSingleObject(object, milliseconds);
        return Wait(object, milliseconds);
    }
    platform::Bool CloseHandle(platform::Handle object) final {
        if (!GaveOut(object) && previous_) return previous_->CloseHandle(object);
        return Close(object);
    }

protected:
    KernelObjectsFake() = default;
    ~KernelObjectsFake() = default;
    KernelObjectsFake(const KernelObjectsFake&) = delete;
    KernelObjectsFake& operator=(const KernelObjectsFake&) = delete;

    virtual bool GaveOut(platform::Handle object) const = 0;
    virtual platform::Dword Wait(platform::Handle object, platform::Dword milliseconds) = 0;
    virtual platform::Bool Close(platform::Handle object) = 0;

private:
    platform::KernelObjects* previous_ = platform::ActiveService<platform::KernelObjects>::override;
    platform::ScopedService<platform::KernelObjects> scope_{*this};
};
