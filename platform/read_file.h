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

// Receives the lines of a file one at a time; returns false to stop reading.
struct LineVisitor {
    virtual ~LineVisitor() = default;
    virtual bool OnLine(std::string_view line) = 0;
};

// Reads a file line by line in bounded memory: one buffer of maxLength bytes, taken
// from the Memory service, whatever the file's size. Lines end at LF (the LF is not
// part of the line; a CR before it is). A line longer than maxLength bytes is passed
// over whole. False when the file cannot be opened or read, or the buffer cannot be
// had; reading stopped by the visitor is a success.
bool ForEachLine(const char16_t* path, std::size_t maxLength, LineVisitor& visitor);

}  // namespace platform
