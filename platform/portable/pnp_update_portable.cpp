// Plug-and-play driver update outside Windows: there are no devices to update, so
// every update fails.
#include "platform/pnp_update.h"
#include "platform/services.h"

namespace platform {
namespace {

struct NoPnpUpdate final : PnpUpdate {
    Bool UpdateDriverForPlugAndPlayDevicesW(Handle, const char16_t*, const char16_t*, Dword,
                                            Bool* rebootRequired) override {
        if (rebootRequired) *rebootRequired = 0;
        return 0;
    }
};

}  // namespace

template <>
PnpUpdate& Default<PnpUpdate>() {
    static NoPnpUpdate instance;
    return instance;
}

}  // namespace platform
