#include "tests/support/temp_dir.h"

#include <atomic>
#include <fstream>
#include <random>

#include "platform/text.h"

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (;;) {
        fs::path candidate = fs::temp_directory_path() /
                             ("tamrin-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path TempDir::Write(const std::string& relative, const std::string& bytes) const {
    fs::path file = path_ / fs::u8path(relative);
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::u16string ProgramPath(const fs::path& p) {
    std::u16string s = p.u16string();
    for (auto& c : s) {
        if (c == u'/') c = u'\\';
    }
    return s;
}

std::u16string TempDir::ProgramDir() const { return ProgramPath(path_) + u"\\"; }

std::string Utf16LeWithBom(const std::string& utf8) {
    std::u16string wide = text::FromUtf8(utf8);
    std::string out = "\xFF\xFE";
    for (char16_t c : wide) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
    }
    return out;
}
