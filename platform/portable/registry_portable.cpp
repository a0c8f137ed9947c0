// The registry outside Windows: empty. The interface class key does not exist, so every
// read fails as it does on a machine where no USB printer was ever attached.
#include "platform/registry.h"
#include "platform/services.h"

namespace platform {
namespace {

constexpr Long kErrorInvalidHandle = 6;

struct PortableRegistry final : Registry {
    Key SetupDiOpenClassRegKeyExW(const Guid*, Dword, Dword, const char16_t*, void*) override {
        return kInvalidHandle;
    }
    Long RegEnumKeyExW(Key, Dword, char16_t*, Dword*, Dword*, char16_t*, Dword*, void*) override {
        return static_cast<Long>(kErrorNoMoreItems);
    }
    Long RegOpenKeyExW(Key, const char16_t*, Dword, Dword, Key* result) override {
        *result = nullptr;
        return static_cast<Long>(kErrorFileNotFound);
    }
    Long RegQueryValueExW(Key, const char16_t*, Dword*, Dword*, std::uint8_t*, Dword*) override {
        return static_cast<Long>(kErrorFileNotFound);
    }
    Long RegCloseKey(Key) override { return kErrorInvalidHandle; }
};

}  // namespace

template <>
Registry& Default<Registry>() {
    static PortableRegistry instance;
    return instance;
}

}  // namespace platform
