#include "engine/medium_check.h"

#include "engine/limits.h"
#include "platform/read_file.h"

namespace engine {

CatalogueProblem CheckCatalogue(const Catalogue& catalogue) {
    switch (platform::FileStateOf(catalogue.File().c_str())) {
        case platform::FileState::Missing: return CatalogueProblem::Missing;
        case platform::FileState::Unreadable: return CatalogueProblem::Unreadable;
        case platform::FileState::Readable: break;
    }
    std::optional<StringList> models = catalogue.Lines(kMainSeries);
    return models && !models->empty() ? CatalogueProblem::None : CatalogueProblem::NoModels;
}

ModelCheck CheckModelEntry(const Catalogue& catalogue, std::u16string_view folder, const char16_t* entry) {
    // The buffer and its rules are the driver page's: a name that does not read whole is
    // no name.
    char16_t name[kPathCapacity] = {};
    if (!catalogue.ReadPrinterName(entry, name, kPathCapacity) || name[0] == 0) {
        return ModelCheck{ModelProblem::NoPrinterName, {}, {}};
    }
    return CheckPrinter(catalogue, folder, name);
}

ModelCheck CheckPrinter(const Catalogue& catalogue, std::u16string_view folder, const char16_t* printerName) {
    ModelCheck check;
    check.printerName = printerName;
    if (check.printerName.empty()) {
        check.problem = ModelProblem::NoPrinterName;
        return check;
    }
    PrintHead head = catalogue.PrintHeadOf(printerName);
    if (head == PrintHead::Unknown) {
        check.problem = ModelProblem::NoPrintHead;
        return check;
    }
    check.driverInf = DriverInfFile(folder, head);
    if (platform::FileStateOf(check.driverInf.c_str()) != platform::FileState::Readable) {
        check.problem = ModelProblem::DriverMissing;
    }
    return check;
}

}  // namespace engine
