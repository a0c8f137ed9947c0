// Code page 936 on Windows: the system's own converter, present on every Windows whatever
// its language, so the program carries no table of its own.
#include <windows.h>

#include <limits>

#include "platform/portable/gbk.h"

namespace platform {

std::u16string DecodeGbk(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    const int length = static_cast<int>(bytes.size());
    // One byte never makes more than one UTF-16 unit in code page 936.
    std::u16string out(bytes.size(), u'\0');
    int written =
        ::MultiByteToWideChar(936, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), length);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
}

}  // namespace platform
