#include "engine/medium/medium_messages.h"

#include "engine/medium/catalogue.h"

namespace engine {

Message CatalogueProblemMessage(CatalogueProblem problem, const std::u16string& cataloguePath) {
    MessageId id = MessageId::CatalogueWithoutModels;
    switch (problem) {
        case CatalogueProblem::Missing: id = MessageId::CatalogueMissing; break;
        case CatalogueProblem::Unreadable: id = MessageId::CatalogueUnreadable; break;
        case CatalogueProblem::NoModels:
        case CatalogueProblem::None: break;
    }
    return Message(id, {cataloguePath, kMainSeries});
}

Message ModelProblemMessage(const Preparation& prepared, const std::u16string& model) {
    const InstallRequest& request = prepared.request;
    MessageId id = MessageId::DriverCatalogMissing;
    switch (prepared.problem) {
        case ModelProblem::NoPrinterName: id = MessageId::ModelWithoutPrinterName; break;
        case ModelProblem::NameUnusable: id = MessageId::PrinterNameUnusable; break;
        case ModelProblem::NoPrintHead: id = MessageId::ModelWithoutPrintHead; break;
        case ModelProblem::DriverMissing: id = MessageId::DriverMissing; break;
        case ModelProblem::PackageIncomplete:
            // No catalog file named: the INF itself could not be read.
            if (request.driverCatalog.empty()) id = MessageId::DriverUnreadable;
            break;
        case ModelProblem::NoArm64Driver: id = MessageId::DriverWithoutArm64; break;
        case ModelProblem::None: break;
    }
    return Message(id, {model, request.catalogueFile, request.printerName, request.driverInf,
                        request.driverCatalog});
}

}  // namespace engine
