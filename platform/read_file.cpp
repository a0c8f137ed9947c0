#include "platform/read_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/memory.h"
#include "platform/scoped_handle.h"
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

bool ForEachLine(const char16_t* path, std::size_t maxLength, LineVisitor& visitor) {
    if (path == nullptr) return false;
    File file = OpenForReading(path);
    if (!file) return false;
    ScopedHandle<MemoryBlockTraits> block(Get<Memory>().Allocate(maxLength > 0 ? maxLength : 1));
    if (!block) return false;
    char* line = static_cast<char*>(block.get());
    std::size_t length = 0;
    bool tooLong = false;
    char chunk[16384];
    for (;;) {
        std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        for (std::size_t i = 0; i < n; ++i) {
            if (chunk[i] == '\n') {
                if (!tooLong && !visitor.OnLine(std::string_view(line, length))) return true;
                length = 0;
                tooLong = false;
            } else if (length < maxLength) {
                line[length++] = chunk[i];
            } else {
                tooLong = true;
            }
        }
        if (n < sizeof chunk) break;
    }
    if (std::ferror(file.get())) return false;
    // The last line, when the file does not end with a line end.
    if (length > 0 && !tooLong) visitor.OnLine(std::string_view(line, length));
    return true;
}

}  // namespace platform
