// Plug-and-play driver update: forwarder to newdev.dll, loaded at run time from the
// system directory for the call and freed after it; driver staging: setupapi.
#include <windows.h>
// The headers below build on windows.h.
#include <newdev.h>
#include <setupapi.h>

#include "platform/pnp_update.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_library.h"

namespace platform {
namespace {

class Win32PnpUpdate final : public PnpUpdate {
public:
    Result<Bool> UpdateDriverForPlugAndPlayDevicesW(Handle window, const char16_t* hardwareId,
                                                    const char16_t* infPath, Dword flags,
                                                    Bool* rebootRequired) override {
        SystemLibrary newdev(L"newdev.dll");
        auto update = newdev.Proc<decltype(&::UpdateDriverForPlugAndPlayDevicesW)>(
            "UpdateDriverForPlugAndPlayDevicesW");
        if (!update) return ProcNotFound<Bool>();
        BOOL reboot = FALSE;
        // Taken before newdev.dll is released, which may change the thread's last error.
        Result<Bool> updated = WithLastError<Bool>(
            update(static_cast<HWND>(window), AsWide(hardwareId), AsWide(infPath), flags, &reboot));
        if (rebootRequired) *rebootRequired = reboot;
        return updated;
    }
    Result<Bool> SetupCopyOEMInfW(const char16_t* sourceInf, const char16_t* mediaLocation, Dword mediaType,
                                  Dword copyStyle, char16_t* destinationName, Dword destinationSize,
                                  Dword* requiredSize) override {
        return WithLastError<Bool>(::SetupCopyOEMInfW(AsWide(sourceInf), AsWide(mediaLocation), mediaType,
                                                      copyStyle, AsWide(destinationName), destinationSize,
                                                      AsDword(requiredSize), nullptr));
    }
    Bool SetupSetNonInteractiveMode(Bool nonInteractive) override {
        return ::SetupSetNonInteractiveMode(nonInteractive);
    }
    Result<Bool> DiUninstallDevice(Handle window, Handle deviceInfoSet, DeviceInfoData* deviceInfo, Dword flags,
                                   Bool* needReboot) override {
        SystemLibrary newdev(L"newdev.dll");
        auto uninstall = newdev.Proc<decltype(&::DiUninstallDevice)>("DiUninstallDevice");
        if (!uninstall) return ProcNotFound<Bool>();
        BOOL reboot = FALSE;
        Result<Bool> uninstalled = WithLastError<Bool>(uninstall(
            static_cast<HWND>(window), deviceInfoSet, reinterpret_cast<SP_DEVINFO_DATA*>(deviceInfo), flags, &reboot));
        if (needReboot) *needReboot = reboot;
        return uninstalled;
    }
    Result<Bool> DiUninstallDriverW(Handle window, const char16_t* infPath, Dword flags, Bool* needReboot) override {
        using UninstallDriver = BOOL(WINAPI*)(HWND, LPCWSTR, DWORD, PBOOL);
        SystemLibrary newdev(L"newdev.dll");
        auto uninstall = newdev.Proc<UninstallDriver>("DiUninstallDriverW");
        if (!uninstall) return ProcNotFound<Bool>();
        BOOL reboot = FALSE;
        Result<Bool> uninstalled =
            WithLastError<Bool>(uninstall(static_cast<HWND>(window), AsWide(infPath), flags, &reboot));
        if (needReboot) *needReboot = reboot;
        return uninstalled;
    }
};

}  // namespace

template <>
PnpUpdate& Default<PnpUpdate>() {
    static Win32PnpUpdate instance;
    return instance;
}

}  // namespace platform
