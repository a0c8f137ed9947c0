// A reader of profile (INI) files with the contract of the Windows profile calls (see
// platform/profile.h). It stands in for the system's profile reader where there is none.
#pragma once

#include <cstddef>
#include <string>

#include "platform/portable/profile_decode.h"
#include "platform/profile.h"

namespace platform {

// The two profile calls on file contents already in memory (for the fuzzer and tests).
Dword ReadProfileStringFromText(const std::u16string& content, const char16_t* section, const char16_t* key,
                                const char16_t* defaultValue, char16_t* buffer, Dword size);
Dword ReadProfileSectionFromText(const std::u16string& content, const char16_t* section, char16_t* buffer,
                                 Dword size);

class IniProfile final : public Profile {
public:
    Dword GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                   char16_t* buffer, Dword size, const char16_t* file) override;
    Dword GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                    const char16_t* file) override;
};

}  // namespace platform
