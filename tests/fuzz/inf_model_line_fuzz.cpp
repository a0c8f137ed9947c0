// The model-line scan of a driver INF file. The input is the printer name (its first
// line, one character per byte) followed by the INF file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/inf_model_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t nameEnd = input.find('\n');
    if (nameEnd == std::string_view::npos) return 0;

    std::u16string quotedName;
    for (char c : input.substr(0, nameEnd)) {
        if (c == 0) break;
        quotedName.push_back(static_cast<unsigned char>(c));
    }
    std::u16string pattern = InfNamePattern(quotedName.c_str());
    if (pattern.size() != quotedName.size()) std::abort();

    constexpr std::size_t kCapacity = 1024;
    char* id = new char[kCapacity];
    std::string_view inf = input.substr(nameEnd + 1);
    // Try the whole name and a shorter and a longer length than it.
    for (std::size_t length : {pattern.size(), pattern.size() / 2, pattern.size() + 1}) {
        std::size_t start = 0;
        while (start <= inf.size()) {
            std::size_t end = inf.find('\n', start);
            if (end == std::string_view::npos) end = inf.size();
            std::string_view line = inf.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            std::memset(id, 0x55, kCapacity);
            if (ReadHardwareIdFromInfLine(line, pattern, length, id, kCapacity)) {
                std::size_t idLength = strnlen(id, kCapacity);
                if (idLength >= kCapacity) std::abort();
                if (line.find(std::string_view(id, idLength)) == std::string_view::npos) std::abort();
                if (length > pattern.size()) std::abort();
            }
            start = end + 1;
        }
    }
    delete[] id;
    return 0;
}
