// Profile (INI) files.
#pragma once

#include "platform/types.h"

namespace platform {

// Contract of the two profile calls, as the Windows profile reader keeps it:
// - ReadString copies the key's value (or an empty string) and returns the number of
//   characters copied; a value that does not fit is cut to size - 1 characters.
// - ReadSection copies every line of the section, each ended by a zero, the last
//   followed by a second zero; it returns the characters copied without the final zero,
//   0 for a missing or empty section, and size - 2 when the section did not fit.
// - A missing file, section or key gives 0 and an empty result.
// - Section and key names are matched without regard to case.
struct Profile {
    virtual Dword GetPrivateProfileStringW(const char16_t* section, const char16_t* key,
                                           const char16_t* defaultValue, char16_t* buffer, Dword size,
                                           const char16_t* file) = 0;
    virtual Dword GetPrivateProfileSectionW(const char16_t* section, char16_t* buffer, Dword size,
                                            const char16_t* file) = 0;

protected:
    ~Profile() = default;
};

}  // namespace platform
