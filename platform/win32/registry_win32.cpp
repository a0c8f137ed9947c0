// Registry reads and the interface class key: forwarders to Windows.
#include <windows.h>
// after windows.h, which it needs
#include <setupapi.h>

#include "platform/registry.h"
#include "platform/services.h"

namespace platform {
namespace {

HKEY K(Key k) {
    return static_cast<HKEY>(k);
}
const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
wchar_t* W(char16_t* s) {
    return reinterpret_cast<wchar_t*>(s);
}
DWORD* D(Dword* d) {
    return reinterpret_cast<DWORD*>(d);
}

struct Win32Registry final : Registry {
    Key SetupDiOpenClassRegKeyExW(const Guid* classGuid, Dword samDesired, Dword flags,
                                  const char16_t* machineName, void* reserved) override {
        return ::SetupDiOpenClassRegKeyExW(reinterpret_cast<const GUID*>(classGuid), samDesired, flags,
                                           W(machineName), reserved);
    }
    Long RegEnumKeyExW(Key key, Dword index, char16_t* name, Dword* nameLength, Dword* reserved,
                       char16_t* className, Dword* classLength, void* lastWriteTime) override {
        return ::RegEnumKeyExW(K(key), index, W(name), D(nameLength), D(reserved), W(className),
                               D(classLength), static_cast<FILETIME*>(lastWriteTime));
    }
    Long RegOpenKeyExW(Key parent, const char16_t* subKey, Dword options, Dword samDesired,
                       Key* result) override {
        HKEY opened = nullptr;
        LONG status = ::RegOpenKeyExW(K(parent), W(subKey), options, samDesired, &opened);
        *result = opened;
        return status;
    }
    Long RegQueryValueExW(Key key, const char16_t* valueName, Dword* reserved, Dword* type,
                          std::uint8_t* data, Dword* dataSize) override {
        return ::RegQueryValueExW(K(key), W(valueName), D(reserved), D(type), data, D(dataSize));
    }
    Long RegCloseKey(Key key) override { return ::RegCloseKey(K(key)); }
};

}  // namespace

template <>
Registry& Default<Registry>() {
    static Win32Registry instance;
    return instance;
}

}  // namespace platform
