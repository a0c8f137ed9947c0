// What the setup log needs of the system (kernel32, advapi32): a file opened for
// appending and what it is (kind, links, owner), the local time, the process id, the
// system's text for an error code and the temporary folder.
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

constexpr Dword kFileAppendData = 0x0004;                // FILE_APPEND_DATA
constexpr Dword kFileReadAttributes = 0x0080;            // FILE_READ_ATTRIBUTES
constexpr Dword kReadControl = 0x00020000;               // READ_CONTROL
constexpr Dword kFileShareRead = 0x0001;                 // FILE_SHARE_READ
constexpr Dword kFileShareWrite = 0x0002;                // FILE_SHARE_WRITE
constexpr Dword kCreateNew = 1;                          // CREATE_NEW
constexpr Dword kOpenAlways = 4;                         // OPEN_ALWAYS
constexpr Dword kFileAttributeDirectory = 0x10;          // FILE_ATTRIBUTE_DIRECTORY
constexpr Dword kFileAttributeNormal = 0x80;             // FILE_ATTRIBUTE_NORMAL
constexpr Dword kFileAttributeReparsePoint = 0x400;      // FILE_ATTRIBUTE_REPARSE_POINT
constexpr Dword kFileFlagOpenReparsePoint = 0x00200000;  // FILE_FLAG_OPEN_REPARSE_POINT
constexpr Dword kErrorFileExists = 80;                   // ERROR_FILE_EXISTS

// The fields of BY_HANDLE_FILE_INFORMATION the log reads.
struct FileInformation {
    Dword attributes = 0;
    Dword numberOfLinks = 0;
};

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
    // ERROR_ALREADY_EXISTS) and a missing one created (error 0); with kCreateNew any name
    // that is there, a link among them, fails with ERROR_FILE_EXISTS. A folder does not
    // open (ERROR_ACCESS_DENIED); with kFileFlagOpenReparsePoint a link or other reparse
    // point is opened itself, not what it points to.
    virtual Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword share, Dword creation,
                                       Dword flags) = 0;
    // As GetFileInformationByHandle (the handle needs kFileReadAttributes).
    virtual Result<Bool> GetFileInformationByHandle(Handle file, FileInformation* info) = 0;
    // The file's owner as GetSecurityInfo (SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION; the
    // handle needs kReadControl) gives it, in the string form of ConvertSidToStringSidW
    // ("S-1-5-18"); ERROR_INSUFFICIENT_BUFFER when it does not fit.
    virtual Result<Bool> GetFileOwnerSid(Handle file, char16_t* sid, Dword size) = 0;
    // As WriteFile, synchronous.
    virtual Result<Bool> WriteFile(Handle file, const void* data, Dword size, Dword* written) = 0;
    virtual Result<Bool> CloseHandle(Handle file) = 0;
    virtual void GetLocalTime(SystemTime* time) = 0;
    // As FormatMessageW with FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS and
    // the default language: the characters stored in buffer without the terminator, or 0.
    // The system's text usually ends with a line end.
    virtual Dword FormatSystemMessage(Dword error, char16_t* buffer, Dword size) = 0;
    virtual Dword GetCurrentProcessId() = 0;
    // As GetTempPath2W, or GetTempPathW where the system lacks it (before Windows 11 and
    // the 2022 updates of Windows 10): the path's length, or the size it needs
    // (terminator included) when it does not fit, or 0 on failure. For SYSTEM the first
    // gives a folder only SYSTEM and the administrators can write to.
    virtual Dword GetTempPath2W(Dword size, char16_t* buffer) = 0;

protected:
    ~LogFiles() = default;
};

using LogFileTraits = ServiceHandleTraits<LogFiles, &LogFiles::CloseHandle>;
using LogFileHandle = ScopedHandle<LogFileTraits>;

}  // namespace platform
