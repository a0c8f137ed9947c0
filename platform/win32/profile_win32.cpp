// Profile files: forwarders to Windows.
#include <windows.h>

#include "platform/profile.h"
#include "platform/services.h"
#include "platform/win32/casts.h"

namespace platform {
namespace {

struct Win32Profile final : Profile {
    Dword GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                   char16_t* buffer, Dword size, const char16_t* file) override {
        return ::GetPrivateProfileStringW(AsWide(section), AsWide(key), AsWide(defaultValue), AsWide(buffer),
                                          size, AsWide(file));
    }
    Dword GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                    const char16_t* file) override {
        return ::GetPrivateProfileSectionW(AsWide(section), AsWide(buffer), size, AsWide(file));
    }
};

}  // namespace

template <>
Profile& Default<Profile>() {
    static Win32Profile instance;
    return instance;
}

}  // namespace platform
