// The setup log outside Windows: a C stream opened with "ab" (created when missing,
// never truncated, every write at the end), the local time from the C library, the
// temporary folder from TMPDIR. The system has no texts for Windows error codes.
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

struct PortableLogFiles final : LogFiles {
    Result<Handle> CreateFileW(const char16_t* path, Dword access, Dword, Dword creation, Dword) override {
        // Only the one way the log opens its file.
        if (access != kFileAppendData || creation != kOpenAlways || path == nullptr) {
            return {kInvalidHandle, kErrorInvalidParameter};
        }
        std::u16string native(path);
        std::replace(native.begin(), native.end(), u'\\', u'/');
        std::string name = text::ToUtf8(native);
        bool existed = false;
        if (std::FILE* probe = std::fopen(name.c_str(), "rb")) {
            existed = true;
            std::fclose(probe);
        }
        std::FILE* file = std::fopen(name.c_str(), "ab");
        if (!file) {
            return {kInvalidHandle,
                    errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound : kErrorAccessDenied};
        }
        return {file, existed ? kErrorAlreadyExists : 0};
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
    Dword FormatSystemMessage(Dword, char16_t*, Dword) override { return 0; }
    Dword GetTempPathW(Dword size, char16_t* buffer) override {
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
