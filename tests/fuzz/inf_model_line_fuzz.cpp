// The model-line search of a driver INF file. The input is the printer name (its first
// line, one character per byte) followed by the INF file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/inf/inf_model_line.h"

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

    constexpr std::size_t kCapacity = 64;
    std::string_view inf = input.substr(nameEnd + 1);
    engine::TargetSystem amd64;
    amd64.version = {10, 0, 19045, 0, 1};
    amd64.language = 0x0804;  // Chinese (PRC)
    engine::TargetSystem x86;
    x86.architecture = engine::Architecture::X86;
    x86.version = {6, 1, 7601, 0, 1};
    x86.language = 0x0C04;  // Chinese (Hong Kong SAR)
    // Try the whole name and a shorter and a longer length than it, on both systems.
    for (const engine::TargetSystem& system : {amd64, x86}) {
        for (std::size_t length : {pattern.size(), pattern.size() / 2, pattern.size() + 1}) {
            ModelLineSearch search = FindModelHardwareId(inf, pattern, length, system, kCapacity);
            if (search.hardwareId &&
                (search.hardwareId->size() >= kCapacity || length > pattern.size() || !search.isInf)) {
                std::abort();
            }
        }
    }
    return 0;
}
