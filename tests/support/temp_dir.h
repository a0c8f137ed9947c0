// A scratch folder for one test, removed when the test ends, and helpers to write files
// into it and name them as the program would (Windows-style backslashes).
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file below the folder (creating subfolders) and returns its path.
    std::filesystem::path Write(const std::string& relative, const std::string& bytes) const;
    // The folder as the program names it: backslashes, ending in a backslash.
    std::u16string ProgramDir() const;

private:
    std::filesystem::path path_;
};

// A path with Windows separators, as UTF-16.
std::u16string ProgramPath(const std::filesystem::path& p);

// UTF-16LE with a byte-order mark, from UTF-8 text.
std::string Utf16LeWithBom(const std::string& utf8);
