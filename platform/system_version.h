// The version of the running Windows.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace platform {

// The fields of OSVERSIONINFOEXW that tell one Windows from another.
struct OsVersion {
    Dword majorVersion = 0;
    Dword minorVersion = 0;
    Dword buildNumber = 0;
    Dword suiteMask = 0;
    std::uint8_t productType = 0;  // VER_NT_WORKSTATION, ...
};

struct SystemVersion {
    // As RtlGetVersion (ntdll, looked up at run time): the version Windows really is,
    // which GetVersionExW hides from a program whose manifest does not name it. False
    // when the call is not there or fails.
    virtual bool RtlGetVersion(OsVersion* version) = 0;
    // As GetUserDefaultUILanguage: the user's display language, a LANGID. Without a
    // Windows to ask, Simplified Chinese, the language the program was first written in.
    virtual std::uint16_t GetUserDefaultUILanguage() { return 0x0804; }

protected:
    ~SystemVersion() = default;
};

}  // namespace platform
