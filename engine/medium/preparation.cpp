#include "engine/medium/preparation.h"

#include "engine/medium/catalogue.h"
#include "engine/inf/inf_catalog.h"
#include "engine/inf/inf_model_line.h"
#include "engine/machine/machine.h"
#include "engine/limits.h"
#include "platform/read_file.h"
#include "platform/services.h"
#include "platform/system_version.h"
#include "platform/text.h"

namespace engine {
namespace {

Preparation Prepare(const MediumFiles& medium, const Catalogue& catalogue, std::u16string printerName,
                    const InstallChoices& choices, const AttachedPrinters& attached) {
    Preparation prepared;
    InstallRequest& request = prepared.request;
    static_cast<InstallChoices&>(request) = choices;
    request.catalogueFile = medium.catalogueFile;
    request.printerName = std::move(printerName);
    request.system =
        TargetSystemOf(ReadMachine(), platform::Get<platform::SystemVersion>().GetSystemDefaultLangID());
    if (request.printerName.empty()) {
        prepared.problem = ModelProblem::NoPrinterName;
        return prepared;
    }
    // The name becomes the queue's, the driver's and a quoted value of the printer
    // interface's command line: cut to its field or out of its quotes it would name
    // another printer. The spooler's separators would too: "\\server\name" opens a
    // printer on another machine, and a comma ends a name where the spooler splits
    // "name,driver,port".
    if (request.printerName.size() >= kNameCapacity || text::BreaksQuotes(request.printerName.c_str()) ||
        request.printerName.find_first_of(u"\\,") != std::u16string::npos) {
        prepared.problem = ModelProblem::NameUnusable;
        return prepared;
    }
    request.route = ChooseInstallRoute(attached, catalogue, request.printerName, request.port);
    request.printHead = catalogue.PrintHeadOf(request.printerName.c_str());
    // Without a print head the bare driver folder, which no step takes for an INF.
    request.driverInf = DriverInfFile(medium.programFolder, request.printHead);
    if (request.printHead == PrintHead::Unknown) {
        prepared.problem = ModelProblem::NoPrintHead;
        return prepared;
    }
    if (platform::FileStateOf(request.driverInf.c_str()) != platform::FileState::Readable) {
        prepared.problem = ModelProblem::DriverMissing;
        return prepared;
    }
    // Windows' device installer reads only an INF's NTarm64 models sections on ARM64
    // Windows; a medium without them is named before anything is removed.
    std::string bytes;
    if (request.system.architecture == Architecture::Arm64 &&
        platform::ReadWholeFileUpTo(request.driverInf.c_str(), kMaxInfBytes, bytes) == platform::BoundedRead::Read &&
        !InfHasModelsFor(bytes, request.system)) {
        prepared.problem = ModelProblem::NoArm64Driver;
        return prepared;
    }
    // Windows refuses a package without the catalog it names; found out only when it is
    // staged, that would be after the old printers were removed.
    const InfCatalog catalog = CheckInfCatalog(
        request.driverInf.c_str(), CatalogDecoration(request.system.architecture), request.system.language);
    request.driverCatalog = catalog.path;
    if (catalog.state == InfCatalog::State::Unreadable || catalog.state == InfCatalog::State::Missing) {
        prepared.problem = ModelProblem::PackageIncomplete;
    }
    return prepared;
}

}  // namespace

Preparation PrepareEntry(const MediumFiles& medium, const char16_t* entry, const InstallChoices& choices,
                         const AttachedPrinters& attached) {
    const Catalogue catalogue(medium.catalogueFile);
    // The buffer and its rules are the driver page's: a name that does not read whole is
    // no name.
    char16_t name[kPathCapacity] = {};
    if (!catalogue.ReadPrinterName(entry, name, kPathCapacity)) name[0] = 0;
    return Prepare(medium, catalogue, name, choices, attached);
}

Preparation PreparePrinter(const MediumFiles& medium, const char16_t* printerName, const InstallChoices& choices,
                           const AttachedPrinters& attached) {
    return Prepare(medium, Catalogue(medium.catalogueFile), printerName ? printerName : u"", choices, attached);
}

}  // namespace engine
