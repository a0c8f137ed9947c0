// Reading a whole file named as the program names files (UTF-16, backslashes).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The file's bytes; false when it cannot be opened or read (a missing file, a folder).
bool ReadWholeFile(const char16_t* path, std::string& bytes);

enum class FileState { Missing, Unreadable, Readable };
// Whether a file is there and can be read: a folder of that name, or a file that cannot
// be opened, is there but unreadable.
FileState FileStateOf(const char16_t* path);

enum class BoundedRead { Read, Unreadable, TooLarge };
// The file's bytes when it has no more than maxBytes of them; reading stops at the first
// byte beyond, so a larger file never costs more memory than that.
BoundedRead ReadWholeFileUpTo(const char16_t* path, std::size_t maxBytes, std::string& bytes);

}  // namespace platform
