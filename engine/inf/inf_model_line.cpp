#include "engine/inf/inf_model_line.h"

#include <unordered_set>
#include <vector>

std::u16string InfNamePattern(const char16_t* quotedName) {
    std::u16string pattern(quotedName);
    const std::u16string_view from = u"Korvel";
    for (std::size_t at = pattern.find(from); at != std::u16string::npos;
         at = pattern.find(from, at + from.size())) {
        pattern.replace(at, from.size(), u"KORVEL");
    }
    return pattern;
}

namespace {

std::optional<std::u16string> IdInSection(const engine::InfFile& inf, std::u16string_view section,
                                          std::u16string_view pattern, std::size_t length,
                                          std::size_t capacity) {
    for (const engine::InfFile::Line* line : inf.LinesOf(section)) {
        if (!line->key || line->fields.size() < 2) continue;
        const std::u16string description = u"\"" + inf.Expand(*line->key) + u"\"";
        if (description.size() < length || description.compare(0, length, pattern.substr(0, length)) != 0)
            continue;
        std::vector<std::u16string> ids;
        bool usb = false;
        for (std::size_t i = 1; i < line->fields.size(); ++i) {
            ids.push_back(inf.Expand(line->fields[i]));
            usb = usb || ids.back().find(u"USB") != std::u16string::npos;
        }
        if (usb && ids[0].size() < capacity) return ids[0];
    }
    return std::nullopt;
}

// The models section each [Manufacturer] line names for the system, in their order, each
// named once.
std::vector<std::u16string> ModelsSectionsFor(const engine::InfFile& inf, const engine::TargetSystem& system) {
    std::vector<std::u16string> sections;
    std::unordered_set<std::u16string> chosen;
    for (const engine::InfFile::Line* manufacturer : inf.LinesOf(u"Manufacturer")) {
        if (manufacturer->fields.empty()) continue;
        std::vector<std::u16string> decorations;
        for (std::size_t i = 1; i < manufacturer->fields.size(); ++i) {
            decorations.push_back(inf.Expand(manufacturer->fields[i]));
        }
        std::optional<std::u16string> section =
            engine::ChooseModelsSection(inf.Expand(manufacturer->fields[0]), decorations, system);
        if (section && chosen.insert(engine::Folded(*section)).second) sections.push_back(std::move(*section));
    }
    return sections;
}

}  // namespace

ModelLineSearch FindModelHardwareId(std::string_view infBytes, std::u16string_view pattern,
                                    std::size_t length, const engine::TargetSystem& system,
                                    std::size_t capacity) {
    ModelLineSearch search;
    std::vector<std::u16string> sections = {u"Manufacturer"};
    std::optional<engine::InfFile> inf = engine::InfFile::Parse(infBytes, sections, system.language);
    if (!inf) return search;
    search.isInf = true;
    if (length > pattern.size()) return search;

    // The models sections for this system, in the order [Manufacturer] names them; then
    // the file again with their lines.
    const std::size_t named = sections.size();
    for (std::u16string& section : ModelsSectionsFor(*inf, system)) sections.push_back(std::move(section));
    if (sections.size() == named) return search;
    inf = engine::InfFile::Parse(infBytes, sections, system.language);
    for (std::size_t i = named; inf && i < sections.size(); ++i) {
        search.hardwareId = IdInSection(*inf, sections[i], pattern, length, capacity);
        if (search.hardwareId) break;
    }
    return search;
}

bool InfHasModelsFor(std::string_view infBytes, const engine::TargetSystem& system) {
    std::optional<engine::InfFile> inf = engine::InfFile::Parse(infBytes, {u"Manufacturer"}, system.language);
    return inf && !ModelsSectionsFor(*inf, system).empty();
}
