// Installing a driver for the present devices of a hardware ID (newdev).
#pragma once

#include "platform/types.h"

namespace platform {

constexpr Dword kInstallFlagForce = 1;  // INSTALLFLAG_FORCE

struct PnpUpdate {
    virtual Bool UpdateDriverForPlugAndPlayDevicesW(Handle window, const char16_t* hardwareId,
                                                    const char16_t* infPath, Dword flags,
                                                    Bool* rebootRequired) = 0;

protected:
    ~PnpUpdate() = default;
};

}  // namespace platform
