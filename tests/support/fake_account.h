// The account the program runs as, given by the user SID of its token; or the call fails.
#pragma once

#include <string>

#include "platform/account.h"
#include "platform/services.h"
#include "platform/text.h"

struct FakeAccount final : platform::Account {
    std::u16string sid = u"S-1-5-21-1004336348-1177238915-682003330-500";  // an administrator
    platform::Dword error = 0;  // when not 0, the call fails with it
    platform::Result<platform::Bool> GetProcessUserSid(char16_t* buffer, platform::Dword size) override {
        if (error != 0) return {0, error};
        if (!text::Copy(buffer, size, sid.c_str())) return {0, platform::kErrorInsufficientBuffer};
        return {1};
    }
    platform::ScopedService<platform::Account> scope{*this};
};
