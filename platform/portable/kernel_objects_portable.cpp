// Kernel objects outside Windows: none exists (no program starts and no device opens),
// so every wait and every close fails.
#include "platform/kernel_objects.h"
#include "platform/services.h"

namespace platform {
namespace {

struct NoKernelObjects final : KernelObjects {
    Dword WaitForSingleObject(Handle, Dword) override { return kWaitFailed; }
    Bool CloseHandle(Handle) override { return 0; }
};

}  // namespace

template <>
KernelObjects& Default<KernelObjects>() {
    static NoKernelObjects instance;
    return instance;
}

}  // namespace platform
