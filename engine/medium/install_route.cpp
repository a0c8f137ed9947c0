#include "engine/medium/install_route.h"

#include <algorithm>

#include "engine/limits.h"
#include "platform/text.h"

namespace engine {

using text::Quoted;

namespace {

RouteChoice ByPrinterInterface(std::u16string reason) {
    return RouteChoice{InstallRoute::PrinterInterface, std::move(reason), {}};
}

bool IsOfPrinter(const AttachedPrinter& printer, const Catalogue& catalogue, const std::u16string& printerName) {
    // An empty model is no entry, whatever the catalogue holds.
    if (printer.model.empty() || !catalogue.SeriesOf(printer.model.c_str())) return false;
    char16_t name[kPathCapacity] = {};
    return catalogue.ReadPrinterName(printer.model.c_str(), name, kPathCapacity) &&
           text::Equal(name, printerName.c_str());
}

void AddPortOnce(StringList& ports, const std::u16string& port) {
    if (port.empty()) return;
    if (std::none_of(ports.begin(), ports.end(),
                     [&](const std::u16string& p) { return text::EqualNoCase(p.c_str(), port.c_str()); })) {
        ports.push_back(port);
    }
}

}  // namespace

std::vector<AttachedPrinter> AttachedOfPrinter(const AttachedPrinters& attached, const Catalogue& catalogue,
                                               const std::u16string& printerName) {
    std::vector<AttachedPrinter> found;
    for (const AttachedPrinter& printer : attached.printers) {
        if (IsOfPrinter(printer, catalogue, printerName)) found.push_back(printer);
    }
    return found;
}

StringList ListedAttachedModels(const AttachedPrinters& attached, const Catalogue& catalogue) {
    StringList models;
    for (const AttachedPrinter& printer : attached.printers) {
        if (printer.model.empty() || !catalogue.ListsInMainSeries(printer.model.c_str())) continue;
        if (std::find(models.begin(), models.end(), printer.model) == models.end()) models.push_back(printer.model);
    }
    return models;
}

StringList ProposedPorts(const AttachedPrinters& attached, const Catalogue& catalogue,
                         const std::u16string& printerName) {
    StringList ports;
    for (const AttachedPrinter& printer : AttachedOfPrinter(attached, catalogue, printerName)) {
        AddPortOnce(ports, printer.port);
    }
    if (!ports.empty()) return ports;
    for (const AttachedPrinter& printer : attached.printers) {
        if (printer.model.empty() || !catalogue.SeriesOf(printer.model.c_str())) AddPortOnce(ports, printer.port);
    }
    return ports;
}

RouteChoice ChooseInstallRoute(const AttachedPrinters& attached, const Catalogue& catalogue,
                               const std::u16string& printerName, const std::u16string& port) {
    if (attached.printers.empty()) return ByPrinterInterface(u"no USB printer is attached");
    const std::vector<AttachedPrinter> ofPrinter = AttachedOfPrinter(attached, catalogue, printerName);
    if (ofPrinter.empty()) {
        const AttachedPrinter& first = attached.printers.front();
        const std::u16string model = Quoted(first.model);
        if (first.model.empty() || !catalogue.SeriesOf(first.model.c_str())) {
            return ByPrinterInterface(u"the attached printer's model " + model + u" is not in the catalogue");
        }
        return ByPrinterInterface(u"the attached printer is a " + model + u", not the chosen " +
                                  Quoted(printerName));
    }
    const AttachedPrinter* taken = &ofPrinter.front();
    if (!port.empty()) {
        auto onPort = std::find_if(ofPrinter.begin(), ofPrinter.end(), [&](const AttachedPrinter& printer) {
            return text::EqualNoCase(port.c_str(), printer.port.c_str());
        });
        if (onPort != ofPrinter.end()) taken = &*onPort;
    }
    const std::u16string model = Quoted(taken->model);
    if (taken->port.empty()) {
        return ByPrinterInterface(u"the USB port of the attached " + model + u" was not found");
    }
    if (!port.empty() && !text::EqualNoCase(port.c_str(), taken->port.c_str())) {
        return ByPrinterInterface(u"the chosen port " + Quoted(port) + u" is not the USB port " +
                                  Quoted(taken->port) + u" of the attached " + model);
    }
    return RouteChoice{InstallRoute::PlugAndPlay,
                       u"the attached printer is the chosen " + model + u" on its USB port " + Quoted(taken->port),
                       taken->port};
}

}  // namespace engine
