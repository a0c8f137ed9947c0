// Read-only registry access (advapi32), and the interface class key of setupapi.
#pragma once

#include <cstdint>

#include "platform/guid.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

using Long = std::int32_t;

constexpr Dword kKeyRead = 0x20019;
constexpr Dword kDiocrInterface = 2;

constexpr Long kErrorSuccess = 0;

constexpr Dword kRegSz = 1;
constexpr Dword kRegExpandSz = 2;
constexpr Dword kRegBinary = 3;
constexpr Dword kRegDword = 4;
constexpr Dword kRegMultiSz = 7;

struct Registry {
    // Returns kInvalidHandle on failure.
    virtual Key SetupDiOpenClassRegKeyExW(const Guid* classGuid, Dword samDesired, Dword flags,
                                          const char16_t* machineName, void* reserved) = 0;
    // nameLength: capacity in characters on entry, length without the zero on return.
    virtual Long RegEnumKeyExW(Key key, Dword index, char16_t* name, Dword* nameLength, Dword* reserved,
                               char16_t* className, Dword* classLength, void* lastWriteTime) = 0;
    virtual Long RegOpenKeyExW(Key parent, const char16_t* subKey, Dword options, Dword samDesired,
                               Key* result) = 0;
    // dataSize: capacity in bytes on entry, size of the value's data on return.
    virtual Long RegQueryValueExW(Key key, const char16_t* valueName, Dword* reserved, Dword* type,
                                  std::uint8_t* data, Dword* dataSize) = 0;
    virtual Long RegCloseKey(Key key) = 0;

protected:
    ~Registry() = default;
};

using RegistryKeyTraits = ServiceHandleTraits<Registry, &Registry::RegCloseKey>;
using RegistryKey = ScopedHandle<RegistryKeyTraits>;

}  // namespace platform
