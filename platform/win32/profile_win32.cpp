// Profile files and module path: forwarders to Windows.
#include <windows.h>

#include "platform/profile.h"
#include "platform/services.h"

namespace platform {
namespace {

const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
wchar_t* W(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }

struct Win32Profile final : Profile {
    Dword GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                   char16_t* buffer, Dword size, const char16_t* file) override {
        return ::GetPrivateProfileStringW(W(section), W(key), W(defaultValue), W(buffer), size, W(file));
    }
    Dword GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                    const char16_t* file) override {
        return ::GetPrivateProfileSectionW(W(section), W(buffer), size, W(file));
    }
};

struct Win32Module final : Module {
    Dword GetModuleFileNameW(char16_t* buffer, Dword size) override {
        return ::GetModuleFileNameW(nullptr, W(buffer), size);
    }
};

}  // namespace

template <>
Profile& Default<Profile>() {
    static Win32Profile instance;
    return instance;
}

template <>
Module& Default<Module>() {
    static Win32Module instance;
    return instance;
}

}  // namespace platform
