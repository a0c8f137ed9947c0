// Device interfaces and device I/O outside Windows: a machine with no USB printer. The
// device set is always empty, no device path can be opened and no event created, so
// nothing that needs an open device gets as far as a request.
#include "platform/device.h"
#include "platform/services.h"

namespace platform {
namespace {

// Stands for the empty device set; it owns nothing.
Handle EmptySet() {
    static char token;
    return &token;
}

struct PortableDeviceInterfaces final : DeviceInterfaces {
    Handle SetupDiGetClassDevsW(const Guid*, const char16_t*, void*, Dword) override { return EmptySet(); }
    Bool SetupDiEnumDeviceInterfaces(Handle, DeviceInfoData*, const Guid*, Dword,
                                     DeviceInterfaceData*) override {
        return 0;
    }
    Bool SetupDiGetDeviceInterfaceDetailW(Handle, DeviceInterfaceData*, DeviceInterfaceDetail*, Dword, Dword*,
                                          DeviceInfoData*) override {
        return 0;
    }
    Bool SetupDiDestroyDeviceInfoList(Handle set) override { return set == EmptySet() ? 1 : 0; }
};

struct PortableDeviceIo final : DeviceIo {
    Result<Handle> CreateFileW(const char16_t*, Dword, Dword, void*, Dword, Dword, Handle) override {
        return {kInvalidHandle, kErrorFileNotFound};
    }
    Result<Bool> DeviceIoControl(Handle, Dword, void*, Dword, void*, Dword, Dword*, Overlapped*) override {
        return {0, kErrorInvalidHandle};
    }
    Result<Bool> GetOverlappedResult(Handle, Overlapped*, Dword*, Bool) override {
        return {0, kErrorInvalidHandle};
    }
    Result<Bool> CancelIoEx(Handle, Overlapped*) override { return {0, kErrorInvalidHandle}; }
    Result<Handle> CreateEventW(void*, Bool, Bool, const char16_t*) override {
        return {nullptr, kErrorInvalidHandle};
    }
};

}  // namespace

template <>
DeviceInterfaces& Default<DeviceInterfaces>() {
    static PortableDeviceInterfaces instance;
    return instance;
}

template <>
DeviceIo& Default<DeviceIo>() {
    static PortableDeviceIo instance;
    return instance;
}

}  // namespace platform
