#include "engine/inf/inf_catalog.h"

#include "engine/inf/inf_file.h"
#include "engine/inf/models_section.h"
#include "platform/read_file.h"

namespace engine {

std::u16string CatalogDecoration(Architecture architecture) {
    return u"NT" + std::u16string(InfArchitectureName(architecture));
}

std::optional<std::u16string> CatalogFileInInf(std::string_view infBytes, std::u16string_view decoration,
                                               platform::LangId language) {
    const std::optional<InfFile> inf = InfFile::Parse(infBytes, {u"Version"}, language);
    if (!inf) return std::nullopt;
    const std::u16string keys[] = {u"CatalogFile." + std::u16string(decoration), u"CatalogFile.NT",
                                   u"CatalogFile"};
    std::optional<std::u16string> found[3];
    for (const InfFile::Line* line : inf->LinesOf(u"Version")) {
        if (!line->key || line->fields.empty()) continue;
        for (std::size_t k = 0; k < 3; ++k) {
            if (!found[k] && EqualIgnoringCase(*line->key, keys[k])) found[k] = inf->Expand(line->fields[0]);
        }
    }
    for (const auto& name : found) {
        if (name) return name->empty() ? std::nullopt : name;
    }
    return std::nullopt;
}

InfCatalog CheckInfCatalog(const char16_t* infPath, std::u16string_view decoration,
                           platform::LangId language) {
    InfCatalog result;
    std::string bytes;
    if (!infPath || platform::ReadWholeFileUpTo(infPath, kMaxInfBytes, bytes) != platform::BoundedRead::Read)
        return result;
    if (!InfFile::Parse(bytes, {u"Version"}, language)) return result;
    std::optional<std::u16string> name = CatalogFileInInf(bytes, decoration, language);
    if (!name) {
        result.state = InfCatalog::State::NamesNone;
        return result;
    }
    std::u16string folder(infPath);
    std::size_t slash = folder.find_last_of(u"\\/");
    folder.resize(slash == std::u16string::npos ? 0 : slash + 1);
    result.path = folder + *name;
    result.state = platform::FileStateOf(result.path.c_str()) == platform::FileState::Readable
                       ? InfCatalog::State::Present
                       : InfCatalog::State::Missing;
    return result;
}

}  // namespace engine
