// Device interfaces and device I/O: forwarders to Windows.
#include <windows.h>
// after windows.h, which it needs
#include <setupapi.h>

#include <cstddef>

#include "platform/device.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

static_assert(sizeof(DeviceInterfaceData) == sizeof(SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(DeviceInterfaceData, flags) == offsetof(SP_DEVICE_INTERFACE_DATA, Flags));
static_assert(sizeof(DeviceInterfaceDetail) == sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W));
static_assert(offsetof(DeviceInterfaceDetail, devicePath) ==
              offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath));
static_assert(sizeof(DeviceInfoData) == sizeof(SP_DEVINFO_DATA));
static_assert(offsetof(DeviceInfoData, devInst) == offsetof(SP_DEVINFO_DATA, DevInst));
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED));
static_assert(offsetof(Overlapped, event) == offsetof(OVERLAPPED, hEvent));

struct Win32DeviceInterfaces final : DeviceInterfaces {
    Handle SetupDiGetClassDevsW(const Guid* classGuid, const char16_t* enumerator, void* parentWindow,
                                Dword flags) override {
        return ::SetupDiGetClassDevsW(AsGuid(classGuid), AsWide(enumerator), static_cast<HWND>(parentWindow),
                                      flags);
    }
    Bool SetupDiEnumDeviceInterfaces(Handle deviceInfoSet, DeviceInfoData* deviceInfo,
                                     const Guid* interfaceClassGuid, Dword memberIndex,
                                     DeviceInterfaceData* interfaceData) override {
        return ::SetupDiEnumDeviceInterfaces(deviceInfoSet, reinterpret_cast<SP_DEVINFO_DATA*>(deviceInfo),
                                             AsGuid(interfaceClassGuid), memberIndex,
                                             reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(interfaceData));
    }
    Bool SetupDiGetDeviceInterfaceDetailW(Handle deviceInfoSet, DeviceInterfaceData* interfaceData,
                                          DeviceInterfaceDetail* detail, Dword detailSize,
                                          Dword* requiredSize, DeviceInfoData* deviceInfo) override {
        return ::SetupDiGetDeviceInterfaceDetailW(
            deviceInfoSet, reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(interfaceData),
            reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail), detailSize, AsDword(requiredSize),
            reinterpret_cast<SP_DEVINFO_DATA*>(deviceInfo));
    }
    Bool SetupDiEnumDeviceInfo(Handle deviceInfoSet, Dword memberIndex, DeviceInfoData* deviceInfo) override {
        return ::SetupDiEnumDeviceInfo(deviceInfoSet, memberIndex, reinterpret_cast<SP_DEVINFO_DATA*>(deviceInfo));
    }
    Bool SetupDiGetDeviceRegistryPropertyW(Handle deviceInfoSet, DeviceInfoData* deviceInfo, Dword property,
                                           Dword* type, unsigned char* buffer, Dword size,
                                           Dword* requiredSize) override {
        return ::SetupDiGetDeviceRegistryPropertyW(deviceInfoSet, reinterpret_cast<SP_DEVINFO_DATA*>(deviceInfo),
                                                   property, AsDword(type), buffer, size, AsDword(requiredSize));
    }
    Bool SetupDiDestroyDeviceInfoList(Handle deviceInfoSet) override {
        return ::SetupDiDestroyDeviceInfoList(deviceInfoSet);
    }
};

struct Win32DeviceIo final : DeviceIo {
    Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword shareMode, void* security,
                               Dword creation, Dword flags, Handle templateFile) override {
        return WithLastError<Handle>(::CreateFileW(AsWide(path), access, shareMode,
                                                   static_cast<SECURITY_ATTRIBUTES*>(security), creation,
                                                   flags, templateFile));
    }
    Result<Bool> DeviceIoControl(Handle device, Dword code, void* in, Dword inSize, void* out, Dword outSize,
                                 Dword* bytesReturned, Overlapped* overlapped) override {
        return WithLastError<Bool>(::DeviceIoControl(device, code, in, inSize, out, outSize,
                                                     AsDword(bytesReturned), AsOverlapped(overlapped)));
    }
    Result<Bool> GetOverlappedResult(Handle device, Overlapped* overlapped, Dword* bytesTransferred,
                                     Bool wait) override {
        return WithLastError<Bool>(
            ::GetOverlappedResult(device, AsOverlapped(overlapped), AsDword(bytesTransferred), wait));
    }
    Result<Bool> CancelIoEx(Handle device, Overlapped* overlapped) override {
        return WithLastError<Bool>(::CancelIoEx(device, AsOverlapped(overlapped)));
    }
    Result<Handle> CreateEventW(void* security, Bool manualReset, Bool initialState,
                                const char16_t* name) override {
        return WithLastError<Handle>(::CreateEventW(static_cast<SECURITY_ATTRIBUTES*>(security), manualReset,
                                                    initialState, AsWide(name)));
    }
};

}  // namespace

template <>
DeviceInterfaces& Default<DeviceInterfaces>() {
    static Win32DeviceInterfaces instance;
    return instance;
}

template <>
DeviceIo& Default<DeviceIo>() {
    static Win32DeviceIo instance;
    return instance;
}

}  // namespace platform
