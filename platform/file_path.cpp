#include "platform/file_path.h"

#include <string>

#include "platform/text.h"

namespace platform {

std::filesystem::path FileSystemPath(const char16_t* path) {
    std::u16string wide(path);
#if defined(_WIN32)
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    for (auto& c : wide) {
        if (c == u'\\') c = u'/';
    }
    return std::filesystem::path(text::ToUtf8(wide));
#endif
}

}  // namespace platform
