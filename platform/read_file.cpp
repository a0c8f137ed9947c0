#include "platform/read_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/text.h"

namespace platform {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenForReading(const char16_t* path) {
#ifdef _WIN32
    return File(_wfopen(reinterpret_cast<const wchar_t*>(path), L"rb"));
#else
    std::u16string native(path);
    std::replace(native.begin(), native.end(), u'\\', u'/');
    return File(std::fopen(text::ToUtf8(native).c_str(), "rb"));
#endif
}

}  // namespace

FileState FileStateOf(const char16_t* path) {
    if (path == nullptr || path[0] == 0) return FileState::Missing;
    File file = OpenForReading(path);
    if (file) {
        // A folder opens on some systems; it cannot be read.
        char probe;
        std::fread(&probe, 1, 1, file.get());
        return std::ferror(file.get()) ? FileState::Unreadable : FileState::Readable;
    }
    return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
}

bool ReadWholeFile(const char16_t* path, std::string& bytes) {
    if (path == nullptr) return false;
    File file = OpenForReading(path);
    if (!file) return false;
    char chunk[16384];
    for (;;) {
        std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.append(chunk, n);
        if (n < sizeof chunk) break;
    }
    return !std::ferror(file.get());
}

BoundedRead ReadWholeFileUpTo(const char16_t* path, std::size_t maxBytes, std::string& bytes) {
    if (path == nullptr) return BoundedRead::Unreadable;
    File file = OpenForReading(path);
    if (!file) return BoundedRead::Unreadable;
    char chunk[16384];
    for (;;) {
        std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        if (n > maxBytes - bytes.size()) return BoundedRead::TooLarge;
        bytes.append(chunk, n);
        if (n < sizeof chunk) break;
    }
    return std::ferror(file.get()) ? BoundedRead::Unreadable : BoundedRead::Read;
}

}  // namespace platform
