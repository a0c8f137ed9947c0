// A path as the program writes it (UTF-16, backslashes) as a path the standard library
// can open on the build's platform.
#pragma once

#include <filesystem>

namespace platform {

// Outside Windows the backslashes become slashes and the text UTF-8.
std::filesystem::path FileSystemPath(const char16_t* path);

}  // namespace platform
