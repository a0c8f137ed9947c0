// The setup log's file, its owner, time, error texts and temporary folder: forwarders to
// kernel32 and advapi32.
#include <windows.h>
// The headers below build on windows.h.
#include <aclapi.h>
#include <sddl.h>

#include <cstddef>

#include "platform/log_file.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

static_assert(sizeof(SystemTime) == sizeof(SYSTEMTIME));
static_assert(offsetof(SystemTime, day) == offsetof(SYSTEMTIME, wDay));
static_assert(offsetof(SystemTime, milliseconds) == offsetof(SYSTEMTIME, wMilliseconds));

// Memory the system allocated with LocalAlloc for its result.
struct LocalMemoryTraits {
    using handle_type = HLOCAL;
    static HLOCAL GetInvalid() { return nullptr; }
    static bool IsValid(HLOCAL p) { return p != nullptr; }
    static void Close(HLOCAL p) { ::LocalFree(p); }
};
using LocalMemory = ScopedHandle<LocalMemoryTraits>;

// GetTempPath2W is looked up: only Windows 11, Server 2022 and updated Windows 10 have it.
using GetTempPath2WFn = DWORD(WINAPI*)(DWORD, LPWSTR);

GetTempPath2WFn FindGetTempPath2W() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<GetTempPath2WFn>(
                        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetTempPath2W")))
                  : nullptr;
}

struct Win32LogFiles final : LogFiles {
    Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword share, Dword creation,
                               Dword flags) override {
        return WithReportedError<Handle>(
            [&] { return ::CreateFileW(AsWide(path), access, share, nullptr, creation, flags, nullptr); });
    }
    Result<Bool> GetFileInformationByHandle(Handle file, FileInformation* info) override {
        BY_HANDLE_FILE_INFORMATION facts{};
        Result<Bool> read = WithLastError<Bool>(::GetFileInformationByHandle(file, &facts));
        if (read.ok()) *info = FileInformation{facts.dwFileAttributes, facts.nNumberOfLinks};
        return read;
    }
    Result<Bool> GetFileOwnerSid(Handle file, char16_t* sid, Dword size) override {
        if (!sid || size == 0) return {0, ERROR_INVALID_PARAMETER};
        sid[0] = 0;
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR described = nullptr;
        // Returns its error rather than setting the last error.
        DWORD error = ::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                        nullptr, nullptr, &described);
        if (error != ERROR_SUCCESS) return {0, error};
        LocalMemory descriptor(described);
        if (!owner) return {0, ERROR_INVALID_SECURITY_DESCR};
        wchar_t* converted = nullptr;
        Result<Bool> text = WithLastError<Bool>(::ConvertSidToStringSidW(owner, &converted));
        if (!text.ok()) return text;
        LocalMemory held(converted);
        if (!text::Copy(sid, size, AsU16(converted))) return {0, ERROR_INSUFFICIENT_BUFFER};
        return {1};
    }
    Result<Bool> WriteFile(Handle file, const void* data, Dword size, Dword* written) override {
        return WithLastError<Bool>(::WriteFile(file, data, size, AsDword(written), nullptr));
    }
    Result<Bool> CloseHandle(Handle file) override { return WithLastError<Bool>(::CloseHandle(file)); }
    void GetLocalTime(SystemTime* time) override { ::GetLocalTime(reinterpret_cast<SYSTEMTIME*>(time)); }
    Dword FormatSystemMessage(Dword error, char16_t* buffer, Dword size) override {
        return ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                AsWide(buffer), size, nullptr);
    }
    Dword GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
    Dword GetTempPath2W(Dword size, char16_t* buffer) override {
        static const GetTempPath2WFn getTempPath2 = FindGetTempPath2W();
        return getTempPath2 ? getTempPath2(size, AsWide(buffer)) : ::GetTempPathW(size, AsWide(buffer));
    }
};

}  // namespace

template <>
LogFiles& Default<LogFiles>() {
    static Win32LogFiles instance;
    return instance;
}

}  // namespace platform
