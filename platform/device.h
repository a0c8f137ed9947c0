// Device interfaces (setupapi) and device I/O (kernel32). An open device is a kernel
// object: it is waited for and closed through platform::KernelObjects.
//
// The records have the platform's layouts, so the Windows forwarders pass them through
// unchanged: the 32-bit platform packs the interface detail record tightly (its fixed
// part is 6 bytes), the 64-bit platform aligns it (8 bytes).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/guid.h"
#include "platform/result.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kDigcfPresent = 0x02;
constexpr Dword kDigcfDeviceInterface = 0x10;

constexpr Dword kGenericRead = 0x80000000;
constexpr Dword kGenericWrite = 0x40000000;
constexpr Dword kOpenExisting = 3;
constexpr Dword kFileFlagOverlapped = 0x40000000;

struct DeviceInterfaceData {
    Dword size;
    Guid interfaceClassGuid;
    Dword flags;
    std::uintptr_t reserved;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
#pragma pack(push, 1)
#endif
struct DeviceInterfaceDetail {
    Dword size;
    char16_t devicePath[1];
};
#if UINTPTR_MAX == 0xFFFFFFFFu
#pragma pack(pop)
#endif

// The value the size field of a detail record must hold: the size of its fixed part.
constexpr Dword kDeviceInterfaceDetailSize = sizeof(DeviceInterfaceDetail);

struct Overlapped {
    std::uintptr_t internal;
    std::uintptr_t internalHigh;
    Dword offset;
    Dword offsetHigh;
    Handle event;
};

constexpr Dword kDigcfAllClasses = 0x04;
constexpr Dword kSpdrpHardwareId = 0x01;  // SPDRP_HARDWAREID: a list of strings (REG_MULTI_SZ)

// A device record (SP_DEVINFO_DATA; the forwarder checks the layout).
struct DeviceInfoData {
    Dword size;
    Guid classGuid;
    Dword devInst;
    std::uintptr_t reserved;
};

struct DeviceInterfaces {
    // Returns kInvalidHandle on failure.
    virtual Handle SetupDiGetClassDevsW(const Guid* classGuid, const char16_t* enumerator, void* parentWindow,
                                        Dword flags) = 0;
    virtual Bool SetupDiEnumDeviceInterfaces(Handle deviceInfoSet, DeviceInfoData* deviceInfo,
                                             const Guid* interfaceClassGuid, Dword memberIndex,
                                             DeviceInterfaceData* interfaceData) = 0;
    // As the Windows call: with no detail buffer it fails and gives the size needed.
    virtual Bool SetupDiGetDeviceInterfaceDetailW(Handle deviceInfoSet, DeviceInterfaceData* interfaceData,
                                                  DeviceInterfaceDetail* detail, Dword detailSize,
                                                  Dword* requiredSize, DeviceInfoData* deviceInfo) = 0;
    virtual Bool SetupDiDestroyDeviceInfoList(Handle deviceInfoSet) = 0;
    // As the Windows calls: the set's device records by index, and a property of one.
    // Where there are no devices to walk, as here, they fail.
    virtual Bool SetupDiEnumDeviceInfo(Handle deviceInfoSet, Dword memberIndex, DeviceInfoData* deviceInfo) {
        (void)deviceInfoSet, (void)memberIndex, (void)deviceInfo;
        return 0;
    }
    virtual Bool SetupDiGetDeviceRegistryPropertyW(Handle deviceInfoSet, DeviceInfoData* deviceInfo, Dword property,
                                                   Dword* type, unsigned char* buffer, Dword size,
                                                   Dword* requiredSize) {
        (void)deviceInfoSet, (void)deviceInfo, (void)property, (void)type, (void)buffer, (void)size,
            (void)requiredSize;
        return 0;
    }

protected:
    ~DeviceInterfaces() = default;
};

using DeviceInfoSetTraits =
    ServiceHandleTraits<DeviceInterfaces, &DeviceInterfaces::SetupDiDestroyDeviceInfoList>;
using DeviceInfoSet = ScopedHandle<DeviceInfoSetTraits>;

// Each call gives its error code with its result.
struct DeviceIo {
    // Gives kInvalidHandle on failure.
    virtual Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword shareMode, void* security,
                                       Dword creation, Dword flags, Handle templateFile) = 0;
    // An overlapped request still under way fails with ERROR_IO_PENDING.
    virtual Result<Bool> DeviceIoControl(Handle device, Dword code, void* in, Dword inSize, void* out,
                                         Dword outSize, Dword* bytesReturned, Overlapped* overlapped) = 0;
    virtual Result<Bool> GetOverlappedResult(Handle device, Overlapped* overlapped, Dword* bytesTransferred,
                                             Bool wait) = 0;
    virtual Result<Bool> CancelIoEx(Handle device, Overlapped* overlapped) = 0;
    // Gives a null handle on failure.
    virtual Result<Handle> CreateEventW(void* security, Bool manualReset, Bool initialState,
                                        const char16_t* name) = 0;

protected:
    ~DeviceIo() = default;
};

}  // namespace platform
