// The running Windows: its version, and the language of the locale assigned to the
// computer.
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

// A language identifier: the primary language in the low 10 bits, the sublanguage in the
// high 6 (MAKELANGID). 0 (LANG_NEUTRAL, SUBLANG_NEUTRAL) names no locale's language.
using LangId = std::uint16_t;

struct SystemVersion {
    // As RtlGetVersion (ntdll, looked up at run time): the version Windows really is,
    // which GetVersionExW hides from a program whose manifest does not name it. False
    // when the call is not there or fails.
    virtual bool RtlGetVersion(OsVersion* version) = 0;
    // As GetSystemDefaultLangID: the language of the system locale, the one Windows
    // chooses a driver INF's Strings section by. 0 where no locale is known.
    virtual LangId GetSystemDefaultLangID() { return 0; }
    // As GetUserDefaultUILanguage: the user's display language, a LANGID. Without a
    // Windows to ask, Simplified Chinese, the language the program was first written in.
    virtual LangId GetUserDefaultUILanguage() { return 0x0804; }

protected:
    ~SystemVersion() = default;
};

}  // namespace platform
