// The setup log outside Windows: a C stream over a file opened for appending (created
// when missing, never truncated, every write at the end) without following a symbolic
// link in its last name, which then does not open (as a link would not be written
// through on Windows); the local time from the C library, the temporary folder from
// TMPDIR, the owner root as SYSTEM and any other user by the SID form of a Unix user.
// The system has no texts for Windows error codes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/log_file.h"
#include "platform/services.h"
#include "platform/text.h"

namespace platform {
namespace {

constexpr Dword kErrorWriteFault = 29;        // ERROR_WRITE_FAULT
constexpr Dword kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr Dword kErrorCantAccessFile = 1920;  // ERROR_CANT_ACCESS_FILE

Dword ErrorOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kErrorPathNotFound;
        case EEXIST:
            return kErrorFileExists;
        case ELOOP:
            return kErrorCantAccessFile;
        default:
            return kErrorAccessDenied;
    }
}

struct PortableLogFiles final : LogFiles {
    Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword, Dword creation,
                               Dword flags) override {
        // Only the ways the log opens its file.
        if (!(access & kFileAppendData) || (creation != kOpenAlways && creation != kCreateNew) ||
            path == nullptr) {
            return {kInvalidHandle, kErrorInvalidParameter};
        }
        std::u16string native(path);
        std::replace(native.begin(), native.end(), u'\\', u'/');
        const std::string name = text::ToUtf8(native);
        const int noFollow = (flags & kFileFlagOpenReparsePoint) || creation == kCreateNew ? O_NOFOLLOW : 0;
        const int common = O_WRONLY | O_APPEND | O_CLOEXEC | noFollow;
        bool existed = false;
        int fd = ::open(name.c_str(), common | O_CREAT | O_EXCL, 0644);
        if (fd < 0 && errno == EEXIST && creation == kOpenAlways) {
            existed = true;
            fd = ::open(name.c_str(), common);
        }
        if (fd < 0) return {kInvalidHandle, ErrorOf(errno)};
        std::FILE* file = ::fdopen(fd, "ab");
        if (!file) {
            ::close(fd);
            return {kInvalidHandle, kErrorNotEnoughMemory};
        }
        return {file, existed ? kErrorAlreadyExists : 0};
    }
    Result<Bool> GetFileInformationByHandle(Handle file, FileInformation* info) override {
        struct stat facts {};
        if (::fstat(::fileno(static_cast<std::FILE*>(file)), &facts) != 0) return {0, kErrorInvalidHandle};
        info->attributes = S_ISDIR(facts.st_mode) ? kFileAttributeDirectory : kFileAttributeNormal;
        info->numberOfLinks = static_cast<Dword>(facts.st_nlink);
        return {1};
    }
    Result<Bool> GetFileOwnerSid(Handle file, char16_t* sid, Dword size) override {
        struct stat facts {};
        if (::fstat(::fileno(static_cast<std::FILE*>(file)), &facts) != 0) return {0, kErrorInvalidHandle};
        const std::u16string owner = facts.st_uid == 0
                                         ? u"S-1-5-18"
                                         : u"S-1-22-1-" + text::Decimal(static_cast<long long>(facts.st_uid));
        if (!text::Copy(sid, size, owner.c_str())) return {0, kErrorInsufficientBuffer};
        return {1};
    }
    Result<Bool> WriteFile(Handle file, const void* data, Dword size, Dword* written) override {
        auto* stream = static_cast<std::FILE*>(file);
        std::size_t n = std::fwrite(data, 1, size, stream);
        if (written) *written = static_cast<Dword>(n);
        if (n != size || std::fflush(stream) != 0) return {0, kErrorWriteFault};
        return {1};
    }
    Result<Bool> CloseHandle(Handle file) override {
        if (std::fclose(static_cast<std::FILE*>(file)) != 0) return {0, kErrorWriteFault};
        return {1};
    }
    void GetLocalTime(SystemTime* time) override {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        *time = SystemTime{static_cast<std::uint16_t>(local.tm_year + 1900),
                           static_cast<std::uint16_t>(local.tm_mon + 1),
                           static_cast<std::uint16_t>(local.tm_wday),
                           static_cast<std::uint16_t>(local.tm_mday),
                           static_cast<std::uint16_t>(local.tm_hour),
                           static_cast<std::uint16_t>(local.tm_min),
                           static_cast<std::uint16_t>(std::min(local.tm_sec, 59)),
                           0};
    }
    Dword GetCurrentProcessId() override { return static_cast<Dword>(::getpid()); }
    Dword FormatSystemMessage(Dword, char16_t*, Dword) override { return 0; }
    Dword GetTempPath2W(Dword size, char16_t* buffer) override {
        const char* tmp = std::getenv("TMPDIR");
        std::u16string path = text::FromUtf8(tmp && *tmp ? tmp : "/tmp");
        if (path.back() != u'/') path += u'/';
        if (path.size() + 1 > size) return static_cast<Dword>(path.size() + 1);
        text::Copy(buffer, size, path.c_str());
        return static_cast<Dword>(path.size());
    }
};

}  // namespace

template <>
LogFiles& Default<LogFiles>() {
    static PortableLogFiles instance;
    return instance;
}

}  // namespace platform
