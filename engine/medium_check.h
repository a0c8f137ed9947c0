// What is wrong with a damaged or incomplete driver medium, found before anything on the
// machine changes: a catalogue that is missing, unreadable or lists no model, and a model
// without its printer name, its print head or its driver INF.
#pragma once

#include <string>

#include "engine/catalogue.h"

namespace engine {

enum class CatalogueProblem {
    None,
    Missing,     // no file of that name
    Unreadable,  // there, but it cannot be read (a folder, no permission)
    NoModels,    // read, but the main series lists no model (also junk and other files)
};

CatalogueProblem CheckCatalogue(const Catalogue& catalogue);

enum class ModelProblem {
    None,
    NoPrinterName,  // the entry has no PRINTER_NAME value
    NoPrintHead,    // its printer has no PRINTER_TYPE of 24 or 9
    DriverMissing,  // the driver INF of its print head is not on the medium
};

struct ModelCheck {
    ModelProblem problem = ModelProblem::None;
    std::u16string printerName;  // when it has one
    std::u16string driverInf;    // the INF looked for, with DriverMissing
};

// Checks the catalogue entry the user chose, as the installation will use it.
ModelCheck CheckModelEntry(const Catalogue& catalogue, std::u16string_view folder, const char16_t* entry);
// Checks a printer name, as the installation will use it.
ModelCheck CheckPrinter(const Catalogue& catalogue, std::u16string_view folder, const char16_t* printerName);

}  // namespace engine
