#include "engine/inf/models_section.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <tuple>

#include "engine/inf/inf_file.h"

namespace engine {
namespace {

// What a decoration that applies names of the system, in the order closeness counts.
struct Decoration {
    std::array<std::uint64_t, 3> version = {};  // major, minor, build; 0 when not given
    bool namesArchitecture = false;
    bool namesProductType = false;
    std::size_t suites = 0;  // the suites its mask names

    auto Closeness() const { return std::tie(version, namesArchitecture, namesProductType, suites); }
};

std::optional<std::uint64_t> Number(std::u16string_view text) {
    std::uint64_t value = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    for (char16_t c : text) {
        int digit = c >= u'0' && c <= u'9'                 ? c - u'0'
                    : base == 16 && c >= u'a' && c <= u'f' ? c - u'a' + 10
                    : base == 16 && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                           : -1;
        if (digit < 0 || value > 0xFFFFFFFFu) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

// The decoration as it applies to the system, or nothing when it does not.
std::optional<Decoration> Applies(std::u16string_view text, const TargetSystem& system) {
    if (text.size() < 2 || !EqualIgnoringCase(text.substr(0, 2), u"nt")) return std::nullopt;
    std::vector<std::u16string_view> parts;
    for (std::size_t start = 2;;) {
        std::size_t dot = text.find(u'.', start);
        parts.push_back(text.substr(start, dot == std::u16string_view::npos ? dot : dot - start));
        if (dot == std::u16string_view::npos) break;
        start = dot + 1;
    }
    Decoration decoration;
    const std::u16string_view architecture = parts[0];
    const bool x86 = system.architecture == Architecture::X86;
    if (architecture.empty()) {
        if (!x86) return std::nullopt;
    } else if (!EqualIgnoringCase(architecture, InfArchitectureName(system.architecture))) {
        return std::nullopt;
    } else {
        decoration.namesArchitecture = true;
    }
    if (parts.size() > 6) return std::nullopt;
    std::array<std::optional<std::uint64_t>, 5> fields;  // major, minor, product type, suite, build
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty()) continue;
        fields[i - 1] = Number(parts[i]);
        if (!fields[i - 1]) return std::nullopt;
    }
    const platform::OsVersion& running = system.version;
    decoration.version = {fields[0].value_or(0), fields[1].value_or(0), fields[4].value_or(0)};
    const std::array<std::uint64_t, 3> own = {running.majorVersion, running.minorVersion,
                                              running.buildNumber};
    if (decoration.version > own) return std::nullopt;  // major, minor, then build
    if (fields[2] && *fields[2] != running.productType) return std::nullopt;
    if (fields[3] && (*fields[3] & running.suiteMask) != *fields[3]) return std::nullopt;
    decoration.namesProductType = fields[2].has_value();
    decoration.suites = std::bitset<64>(fields[3].value_or(0)).count();
    return decoration;
}

}  // namespace

const char16_t* InfArchitectureName(Architecture architecture) {
    switch (architecture) {
        case Architecture::X86: return u"x86";
        case Architecture::Amd64: return u"amd64";
        case Architecture::Arm64: return u"arm64";
    }
    return u"";
}

std::optional<std::u16string> ChooseModelsSection(std::u16string_view name,
                                                  const std::vector<std::u16string>& decorations,
                                                  const TargetSystem& system) {
    const std::u16string* best = nullptr;
    Decoration bestDecoration;
    for (const std::u16string& text : decorations) {
        std::optional<Decoration> decoration = Applies(text, system);
        if (!decoration) continue;
        if (best == nullptr || decoration->Closeness() > bestDecoration.Closeness()) {
            best = &text;
            bestDecoration = *decoration;
        }
    }
    if (best != nullptr) return std::u16string(name) + u"." + *best;
    if (system.architecture == Architecture::X86) return std::u16string(name);
    return std::nullopt;
}

}  // namespace engine
