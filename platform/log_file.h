// What the setup log needs of the system (kernel32): a file opened for appending, the
// local time, the system's text for an error code and the temporary folder.
//
// The log's file handle is released by this service, not by KernelObjects, so that the
// portable stand-in can keep a C stream behind it.
#pragma once

#include <cstdint>

#include "platform/result.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kFileAppendData = 0x0004;     // FILE_APPEND_DATA
constexpr Dword kFileShareRead = 0x0001;      // FILE_SHARE_READ
constexpr Dword kFileShareWrite = 0x0002;     // FILE_SHARE_WRITE
constexpr Dword kOpenAlways = 4;              // OPEN_ALWAYS
constexpr Dword kFileAttributeNormal = 0x80;  // FILE_ATTRIBUTE_NORMAL

// SYSTEMTIME, field for field.
struct SystemTime {
    std::uint16_t year;
    std::uint16_t month;
    std::uint16_t dayOfWeek;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

struct LogFiles {
    // As CreateFileW with no security attributes and no template: kInvalidHandle, with
    // the error, on failure. With kOpenAlways a file that was there is opened (error
    // ERROR_ALREADY_EXISTS) and a missing one created (error 0).
    virtual Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword share, Dword creation,
                                       Dword flags) = 0;
    // As WriteFile, synchronous.
    virtual Result<Bool> WriteFile(Handle file, const void* data, Dword size, Dword* written) = 0;
    virtual Result<Bool> CloseHandle(Handle file) = 0;
    virtual void GetLocalTime(SystemTime* time) = 0;
    // As FormatMessageW with FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS and
    // the default language: the characters stored in buffer without the terminator, or 0.
    // The system's text usually ends with a line end.
    virtual Dword FormatSystemMessage(Dword error, char16_t* buffer, Dword size) = 0;
    // As GetTempPathW: the path's length, or the size it needs (terminator included) when
    // it does not fit, or 0 on failure.
    virtual Dword GetTempPathW(Dword size, char16_t* buffer) = 0;

protected:
    ~LogFiles() = default;
};

using LogFileTraits = ServiceHandleTraits<LogFiles, &LogFiles::CloseHandle>;
using LogFileHandle = ScopedHandle<LogFileTraits>;

}  // namespace platform
