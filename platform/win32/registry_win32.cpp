// Registry reads and the interface class key: forwarders to Windows.
#include <windows.h>
// after windows.h, which it needs
#include <setupapi.h>

#include "platform/registry.h"
#include "platform/services.h"
#include "platform/win32/casts.h"

namespace platform {
namespace {

struct Win32Registry final : Registry {
    Key SetupDiOpenClassRegKeyExW(const Guid* classGuid, Dword samDesired, Dword flags,
                                  const char16_t* machineName, void* reserved) override {
        return ::SetupDiOpenClassRegKeyExW(AsGuid(classGuid), samDesired, flags, AsWide(machineName),
                                           reserved);
    }
    Long RegEnumKeyExW(Key key, Dword index, char16_t* name, Dword* nameLength, Dword* reserved,
                       char16_t* className, Dword* classLength, void* lastWriteTime) override {
        return ::RegEnumKeyExW(AsHkey(key), index, AsWide(name), AsDword(nameLength), AsDword(reserved),
                               AsWide(className), AsDword(classLength),
                               static_cast<FILETIME*>(lastWriteTime));
    }
    Long RegOpenKeyExW(Key parent, const char16_t* subKey, Dword options, Dword samDesired,
                       Key* result) override {
        HKEY opened = nullptr;
        LONG status = ::RegOpenKeyExW(AsHkey(parent), AsWide(subKey), options, samDesired, &opened);
        *result = opened;
        return status;
    }
    Long RegQueryValueExW(Key key, const char16_t* valueName, Dword* reserved, Dword* type,
                          std::uint8_t* data, Dword* dataSize) override {
        return ::RegQueryValueExW(AsHkey(key), AsWide(valueName), AsDword(reserved), AsDword(type), data,
                                  AsDword(dataSize));
    }
    Long RegCloseKey(Key key) override { return ::RegCloseKey(AsHkey(key)); }
};

}  // namespace

template <>
Registry& Default<Registry>() {
    static Win32Registry instance;
    return instance;
}

}  // namespace platform
