// Reading a whole file named as the program names files (UTF-16, backslashes).
#pragma once

#include <string>

namespace platform {

// The file's bytes; false when it cannot be opened or read (a missing file, a folder).
bool ReadWholeFile(const char16_t* path, std::string& bytes);

}  // namespace platform
