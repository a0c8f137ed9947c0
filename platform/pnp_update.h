// Installing a driver for the present devices of a hardware ID (newdev), and staging a
// driver package in the driver store for devices that come later (setupapi).
#pragma once

#include "platform/result.h"
#include "platform/types.h"

namespace platform {

struct DeviceInfoData;

constexpr Dword kInstallFlagForce = 1;           // INSTALLFLAG_FORCE
// The update fails instead of showing anything (an unsigned-driver prompt, a wizard).
constexpr Dword kInstallFlagNonInteractive = 4;  // INSTALLFLAG_NONINTERACTIVE
constexpr Dword kSpostPath = 1;                  // SPOST_PATH
// The package leaves the devices but stays in the driver store.
constexpr Dword kDiurflagNoRemoveInf = 1;        // DIURFLAG_NO_REMOVE_INF

// Each call gives its error code with its result.
struct PnpUpdate {
    virtual Result<Bool> UpdateDriverForPlugAndPlayDevicesW(Handle window, const char16_t* hardwareId,
                                                            const char16_t* infPath, Dword flags,
                                                            Bool* rebootRequired) = 0;
    // As the Windows call: copies the INF (and its catalog) into the system's INF folder
    // under a name of the system's choosing, so that Plug and Play finds the package.
    virtual Result<Bool> SetupCopyOEMInfW(const char16_t* sourceInf, const char16_t* mediaLocation,
                                          Dword mediaType, Dword copyStyle, char16_t* destinationName,
                                          Dword destinationSize, Dword* requiredSize) = 0;
    // As the Windows call: with TRUE, no call of SetupAPI in this process shows anything
    // (it fails instead); gives the previous setting.
    virtual Bool SetupSetNonInteractiveMode(Bool nonInteractive) = 0;
    // As the Windows call (newdev, Windows 10 1703 and later), looked up at run time: the
    // package of that INF taken off every device it is installed on. Where the call is
    // missing, as here, it fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> DiUninstallDriverW(Handle window, const char16_t* infPath, Dword flags,
                                            Bool* needReboot) {
        (void)window, (void)infPath, (void)flags, (void)needReboot;
        return {0, kErrorProcNotFound};
    }
    // As the Windows call (newdev, Windows 7 and later), looked up at run time: the device
    // of the record in the set removed, its driver with it. Where the call is missing, as
    // here, it fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> DiUninstallDevice(Handle window, Handle deviceInfoSet, DeviceInfoData* deviceInfo,
                                           Dword flags, Bool* needReboot) {
        (void)window, (void)deviceInfoSet, (void)deviceInfo, (void)flags, (void)needReboot;
        return {0, kErrorProcNotFound};
    }

protected:
    ~PnpUpdate() = default;
};

}  // namespace platform
