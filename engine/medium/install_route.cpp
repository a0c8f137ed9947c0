#include "engine/medium/install_route.h"

#include "engine/limits.h"
#include "platform/text.h"

namespace engine {

using text::Quoted;

namespace {

RouteChoice ByPrinterInterface(std::u16string reason) {
    return RouteChoice{InstallRoute::PrinterInterface, std::move(reason), {}};
}

}  // namespace

RouteChoice ChooseInstallRoute(const std::optional<AttachedPrinter>& attached, const Catalogue& catalogue,
                               const std::u16string& printerName, const std::u16string& port) {
    if (!attached) return ByPrinterInterface(u"no USB printer is attached");
    const std::u16string model = Quoted(attached->model);
    // An empty model is no entry, whatever the catalogue holds.
    if (attached->model.empty() || !catalogue.SeriesOf(attached->model.c_str())) {
        return ByPrinterInterface(u"the attached printer's model " + model + u" is not in the catalogue");
    }
    char16_t name[kPathCapacity] = {};
    if (!catalogue.ReadPrinterName(attached->model.c_str(), name, kPathCapacity) ||
        !text::Equal(name, printerName.c_str())) {
        return ByPrinterInterface(u"the attached printer is a " + model + u", not the chosen " +
                                  Quoted(printerName));
    }
    if (attached->port.empty()) {
        return ByPrinterInterface(u"the USB port of the attached " + model + u" was not found");
    }
    if (!port.empty() && !text::EqualNoCase(port.c_str(), attached->port.c_str())) {
        return ByPrinterInterface(u"the chosen port " + Quoted(port) + u" is not the USB port " +
                                  Quoted(attached->port) + u" of the attached " + model);
    }
    return RouteChoice{InstallRoute::PlugAndPlay,
                       u"the attached printer is the chosen " + model + u" on its USB port " + Quoted(attached->port),
                       attached->port};
}

}  // namespace engine
