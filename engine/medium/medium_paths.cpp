#include "engine/medium/medium_paths.h"

#include "engine/limits.h"
#include "platform/module.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {
namespace {

std::u16string Join(std::u16string_view folder, std::u16string_view name) {
    std::u16string path;
    path.reserve(folder.size() + name.size());
    path.append(folder).append(name);
    return path;
}

}  // namespace

std::optional<std::u16string> ProgramFolder() {
    char16_t path[kPathCapacity] = {};
    platform::Dword n = platform::Get<platform::Module>().GetModuleFileNameW(path, kPathCapacity);
    // A result that fills the buffer means the path was cut.
    if (n == 0 || n >= kPathCapacity) return std::nullopt;
    std::u16string folder(path, text::LengthBounded(path, kPathCapacity - 1));
    std::size_t slash = folder.rfind(u'\\');
    folder.resize(slash == std::u16string::npos ? 0 : slash + 1);
    return folder;
}

bool ProgramFolderFits(std::u16string_view folder) {
    return !folder.empty() && folder.size() <= kMaxProgramDirLength;
}

std::u16string CatalogueFile(std::u16string_view folder) {
    return Join(folder, u"PrinterInfor.Inf");
}

std::u16string LanguageFile(std::u16string_view folder) {
    return Join(folder, u"Language.inf");
}

std::u16string DriverInfFile(std::u16string_view folder, PrintHead head) {
    std::u16string path = Join(folder, u"PrinterDriver\\");
    switch (head) {
        case PrintHead::Pins24: path.append(u"24pin\\OEMPRINT.INF"); break;
        case PrintHead::Pins9: path.append(u"9pin\\OEMPRINT.INF"); break;
        case PrintHead::Unknown: break;
    }
    return path;
}

}  // namespace engine
