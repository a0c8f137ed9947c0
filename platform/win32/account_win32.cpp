// The account the program runs as: forwarder to advapi32.
#include <windows.h>
// The header below builds on windows.h.
#include <sddl.h>

#include "platform/account.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

struct TokenTraits {
    using handle_type = HANDLE;
    static HANDLE GetInvalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

struct LocalTraits {
    using handle_type = wchar_t*;
    static wchar_t* GetInvalid() { return nullptr; }
    static bool IsValid(wchar_t* p) { return p != nullptr; }
    static void Close(wchar_t* p) { ::LocalFree(p); }
};

struct Win32Account final : Account {
    Result<Bool> GetProcessUserSid(char16_t* buffer, Dword size) override {
        if (!buffer || size == 0) return {0, ERROR_INVALID_PARAMETER};
        buffer[0] = 0;
        HANDLE opened = nullptr;
        Result<Bool> open =
            WithLastError<Bool>(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened));
        if (!open.ok()) return open;
        ScopedHandle<TokenTraits> token(opened);
        // TOKEN_USER and the largest SID there is, aligned for the record.
        alignas(TOKEN_USER) unsigned char user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
        DWORD needed = 0;
        Result<Bool> read =
            WithLastError<Bool>(::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &needed));
        if (!read.ok()) return read;
        wchar_t* converted = nullptr;
        Result<Bool> text = WithLastError<Bool>(
            ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &converted));
        if (!text.ok()) return text;
        ScopedHandle<LocalTraits> sid(converted);
        if (!text::Copy(buffer, size, AsU16(sid.get()))) return {0, ERROR_INSUFFICIENT_BUFFER};
        return {1};
    }
};

}  // namespace

template <>
Account& Default<Account>() {
    static Win32Account instance;
    return instance;
}

}  // namespace platform
