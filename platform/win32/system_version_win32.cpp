// The running Windows' version and locale: forwarders to ntdll and kernel32.
#include <windows.h>

#include "platform/services.h"
#include "platform/system_version.h"

namespace platform {
namespace {

using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOEXW*);

struct Win32SystemVersion final : SystemVersion {
    LangId GetUserDefaultUILanguage() override { return ::GetUserDefaultUILanguage(); }
    bool RtlGetVersion(OsVersion* version) override {
        if (version == nullptr) return false;
        // ntdll is in every process; it is never loaded from anywhere else.
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        auto call = ntdll ? reinterpret_cast<RtlGetVersionProc>(
                                reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                          : nullptr;
        if (call == nullptr) return false;
        OSVERSIONINFOEXW info = {};
        info.dwOSVersionInfoSize = sizeof info;
        if (call(&info) != 0) return false;
        version->majorVersion = info.dwMajorVersion;
        version->minorVersion = info.dwMinorVersion;
        version->buildNumber = info.dwBuildNumber;
        version->suiteMask = info.wSuiteMask;
        version->productType = info.wProductType;
        return true;
    }
    LangId GetSystemDefaultLangID() override { return ::GetSystemDefaultLangID(); }
};

}  // namespace

template <>
SystemVersion& Default<SystemVersion>() {
    static Win32SystemVersion instance;
    return instance;
}

}  // namespace platform
