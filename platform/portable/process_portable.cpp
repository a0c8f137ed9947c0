// The running process outside Windows: no WOW64, no programs to start.
#include "platform/process.h"
#include "platform/services.h"

namespace platform {
namespace {

struct PortableProcesses final : Processes {
    Handle GetCurrentProcess() override { return nullptr; }
    Result<Bool> IsWow64Process(Handle, Bool* wow64) override {
        if (wow64) *wow64 = 0;
        return {1};
    }
    const char16_t* GetCommandLineW() override { return u""; }
    Result<Bool> CreateProcessW(const char16_t*, char16_t*, ProcessInformation*) override {
        return {0, kErrorFileNotFound};
    }
    Result<Bool> GetExitCodeProcess(Handle, Dword*) override { return {0, kErrorInvalidHandle}; }
};

}  // namespace

template <>
Processes& Default<Processes>() {
    static PortableProcesses instance;
    return instance;
}

}  // namespace platform
