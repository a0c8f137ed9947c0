// The account the program runs as (advapi32).
#pragma once

#include "platform/result.h"
#include "platform/types.h"

namespace platform {

struct Account {
    // The user SID of the running process's token in its string form ("S-1-5-18"), as
    // OpenProcessToken, GetTokenInformation (TokenUser) and ConvertSidToStringSidW give
    // it, cut to size; with the error of the call that failed.
    virtual Result<Bool> GetProcessUserSid(char16_t* buffer, Dword size) = 0;

protected:
    ~Account() = default;
};

}  // namespace platform
