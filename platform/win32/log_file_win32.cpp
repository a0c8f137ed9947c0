// The setup log's file, time, error texts and temporary folder: forwarders to kernel32.
#include <windows.h>

#include <cstddef>

#include "platform/log_file.h"
#include "platform/services.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

static_assert(sizeof(SystemTime) == sizeof(SYSTEMTIME));
static_assert(offsetof(SystemTime, day) == offsetof(SYSTEMTIME, wDay));
static_assert(offsetof(SystemTime, milliseconds) == offsetof(SYSTEMTIME, wMilliseconds));

struct Win32LogFiles final : LogFiles {
    Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword share, Dword creation,
                               Dword flags) override {
        return WithReportedError<Handle>(
            [&] { return ::CreateFileW(AsWide(path), access, share, nullptr, creation, flags, nullptr); });
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
    Dword GetTempPathW(Dword size, char16_t* buffer) override { return ::GetTempPathW(size, AsWide(buffer)); }
};

}  // namespace

template <>
LogFiles& Default<LogFiles>() {
    static Win32LogFiles instance;
    return instance;
}

}  // namespace platform
