// The one preparation of an installation: from the medium, the model chosen, the port,
// the options and the attached printers, the complete request the installation flow
// takes, its route included, or what keeps the medium from serving that model. The
// driver page, the finish page and the unattended mode all prepare through it, and each
// reads the model's catalogue entry once.
#pragma once

#include <string>

#include "engine/machine/attached_printers.h"
#include "engine/medium/install_request.h"
#include "engine/medium/medium_paths.h"

namespace engine {

enum class ModelProblem {
    None,
    NoPrinterName,  // the entry has no PRINTER_NAME value
    NameUnusable,   // the printer name does not fit its field or would leave its quotes
    NoPrintHead,    // its printer has no PRINTER_TYPE of 24 or 9
    DriverMissing,  // the driver INF of its print head is not on the medium
    // The driver INF cannot be read whole, or the catalog file it names is not beside it
    // (request.driverCatalog names it).
    PackageIncomplete,
    // ARM64 Windows, and the driver INF names no models section for it (NTarm64).
    NoArm64Driver,
};

struct Preparation {
    ModelProblem problem = ModelProblem::None;
    // Complete without a problem; with one, as far as the entry was read: the printer
    // name when it has one, the driver INF looked for with DriverMissing, and its catalog
    // with PackageIncomplete.
    InstallRequest request;
};

// For a catalogue entry ("KV-100"), whose printer name the catalogue gives. The attached
// printers are those the caller read once for this installation (FindAttachedPrinters),
// from which the route is chosen.
Preparation PrepareEntry(const MediumFiles& medium, const char16_t* entry, const InstallChoices& choices,
                         const AttachedPrinters& attached);
// For a printer name ("Korvel KV-100"), as the wizard holds it after its driver page.
Preparation PreparePrinter(const MediumFiles& medium, const char16_t* printerName, const InstallChoices& choices,
                           const AttachedPrinters& attached);

}  // namespace engine
