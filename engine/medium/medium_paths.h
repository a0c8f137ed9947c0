// Where the files of the driver medium lie: beside the running program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The print head of a model, as the catalogue's PRINTER_TYPE section gives it; it picks
// the driver package.
enum class PrintHead { Unknown, Pins24, Pins9 };

// The medium a run installs from.
struct MediumFiles {
    std::u16string programFolder;  // with its final backslash
    std::u16string catalogueFile;
};

// The running program's folder with its final backslash. Nothing when the module path
// cannot be had whole: a path cut by its buffer would give a wrong, shorter folder.
std::optional<std::u16string> ProgramFolder();

// The folder is known and leaves room for the longest file path of the medium.
bool ProgramFolderFits(std::u16string_view folder);

std::u16string CatalogueFile(std::u16string_view folder);
std::u16string LanguageFile(std::u16string_view folder);
// The driver INF of the print head; for an unknown one, the bare driver folder.
std::u16string DriverInfFile(std::u16string_view folder, PrintHead head);

}  // namespace engine
