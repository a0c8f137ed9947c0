// The configuration manager's device tree (cfgmgr32).
#pragma once

#include "platform/types.h"

namespace platform {

using ConfigRet = Dword;
using DevInst = Dword;

constexpr ConfigRet kCrSuccess = 0;
constexpr ConfigRet kCrFailure = 0x13;
constexpr Dword kCmLocateDevNodeNormal = 0;
constexpr Dword kCmReenumerateNormal = 0;

struct ConfigManager {
    // deviceId none: the root of the device tree.
    virtual ConfigRet CM_Locate_DevNodeW(DevInst* devInst, const char16_t* deviceId, Dword flags) = 0;
    virtual ConfigRet CM_Reenumerate_DevNode(DevInst devInst, Dword flags) = 0;

protected:
    ~ConfigManager() = default;
};

}  // namespace platform
