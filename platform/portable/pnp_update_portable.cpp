// Plug-and-play driver update outside Windows: there are no devices to update and no
// driver store, so every update and every staging fails.
#include "platform/pnp_update.h"
#include "platform/services.h"

namespace platform {
namespace {

struct NoPnpUpdate final : PnpUpdate {
    Result<Bool> UpdateDriverForPlugAndPlayDevicesW(Handle, const char16_t*, const char16_t*, Dword,
                                                    Bool* rebootRequired) override {
        if (rebootRequired) *rebootRequired = 0;
        return {0, kErrorNotSupported};
    }
    Result<Bool> SetupCopyOEMInfW(const char16_t*, const char16_t*, Dword, Dword, char16_t*, Dword,
                                  Dword*) override {
        return {0, kErrorNotSupported};
    }
    Bool SetupSetNonInteractiveMode(Bool) override { return 0; }
};

}  // namespace

template <>
PnpUpdate& Default<PnpUpdate>() {
    static NoPnpUpdate instance;
    return instance;
}

}  // namespace platform
