// The configuration manager: cfgmgr32 is loaded from the system directory for each call,
// never imported, so that no copy beside the program can be picked up.
#include <windows.h>

#include "platform/config_manager.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/system_library.h"

namespace platform {
namespace {

using LocateDevNode = DWORD(WINAPI*)(DWORD*, const wchar_t*, ULONG);
using ReenumerateDevNode = DWORD(WINAPI*)(DWORD, ULONG);

struct Win32ConfigManager final : ConfigManager {
    ConfigRet CM_Locate_DevNodeW(DevInst* devInst, const char16_t* deviceId, Dword flags) override {
        SystemLibrary library(L"cfgmgr32.dll");
        auto locate = library.Proc<LocateDevNode>("CM_Locate_DevNodeW");
        if (!locate) return kCrFailure;
        DWORD node = 0;
        ConfigRet result = locate(&node, AsWide(deviceId), flags);
        *devInst = node;
        return result;
    }
    ConfigRet CM_Reenumerate_DevNode(DevInst devInst, Dword flags) override {
        SystemLibrary library(L"cfgmgr32.dll");
        auto reenumerate = library.Proc<ReenumerateDevNode>("CM_Reenumerate_DevNode");
        if (!reenumerate) return kCrFailure;
        return reenumerate(devInst, flags);
    }
};

}  // namespace

template <>
ConfigManager& Default<ConfigManager>() {
    static Win32ConfigManager instance;
    return instance;
}

}  // namespace platform
