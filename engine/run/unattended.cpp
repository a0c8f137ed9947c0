#include "engine/run/unattended.h"

#include <optional>

#include "engine/medium/catalogue.h"
#include "engine/machine/attached_printers.h"
#include "engine/medium/install_route.h"
#include "engine/run/exit_codes.h"
#include "engine/install/installation_flow.h"
#include "engine/limits.h"
#include "engine/medium/medium_messages.h"
#include "engine/medium/preparation.h"
#include "engine/install/spooler.h"
#include "platform/pnp_update.h"
#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "usb/usb_port.h"

namespace engine {

using text::Quoted;
namespace {

std::u16string Joined(const StringList& names) {
    std::u16string all;
    for (const std::u16string& name : names) all += (all.empty() ? u"" : u", ") + name;
    return all;
}

std::u16string QuotedList(const StringList& names) {
    StringList quoted;
    for (const std::u16string& name : names) quoted.push_back(Quoted(name));
    return Joined(quoted);
}

// Nothing shown, nothing asked: the log is all there is.
class LoggedOnly final : public FlowObserver {
public:
    void OnStep(FlowStep) override {}
    void OnStartFailure(MessageId) override {}
};

// The attached printers an installation was prepared with, each with its port.
void LogAttached(const AttachedPrinters& attached, SetupLog& log) {
    for (const AttachedPrinter& printer : attached.printers) {
        log.Write(u"Attached USB printer: model " + Quoted(printer.model) +
                  (printer.port.empty() ? u", its port not found" : u", on the port " + Quoted(printer.port)));
    }
    if (attached.moreNotExamined) {
        log.Write(u"More USB printing interfaces are present than the " +
                  text::Decimal(static_cast<long long>(CUSBPort::kMaxInterfaces)) +
                  u" examined; the others are passed over");
    }
}

// Why a run is refused before it changes anything, with its exit code.
struct Refusal {
    std::uint32_t exitCode;
    std::u16string reason;
};

class UnattendedRequest {
public:
    UnattendedRequest(const SetupOptions& options, const MediumFiles& medium)
        : options_(options), medium_(medium), catalogue_(medium.catalogueFile) {}

    // Everything the run needs, checked; the refusal when something is missing or wrong.
    // The attached printers are read once, for the model, the port and the route; the
    // removal needs none of them.
    std::optional<Refusal> Check(InstallRequest& request) {
        if (!options_.uninstall) attached_ = FindAttachedPrinters();
        if (auto refusal = ChooseModel()) return refusal;
        InstallChoices choices = InstallChoicesOf(options_);
        // The port decides the route, so it is chosen first; the entry's problems are
        // named before its own.
        std::optional<Refusal> portRefusal;
        if (!options_.uninstall) portRefusal = ChoosePort(choices.port);
        Preparation prepared = PrepareEntry(medium_, entry_.c_str(), choices, attached_);
        // The removal needs only the printer name; the installation the whole entry.
        const ModelProblem problem = prepared.problem;
        bool unusable = options_.uninstall
                            ? problem == ModelProblem::NoPrinterName || problem == ModelProblem::NameUnusable
                            : problem != ModelProblem::None;
        if (unusable) return Refusal{kExitFailed, LogText(ModelProblemMessage(prepared, entry_))};
        request = std::move(prepared.request);
        // An update that keeps printers needs no port; only an installation does.
        if (portRefusal && options_.update && AnyPrinterHasDriver(request.printerName.c_str())) return std::nullopt;
        return portRefusal;
    }

    const std::u16string& Entry() const { return entry_; }
    const AttachedPrinters& Attached() const { return attached_; }

private:
    std::optional<Refusal> ChooseModel() {
        if (options_.model) {
            if (!catalogue_.ListsInMainSeries(options_.model->c_str())) {
                return Refusal{kExitInvalidCommandLine,
                               u"the model " + Quoted(*options_.model) + u" is not listed in [" +
                                   std::u16string(kMainSeries) + u"] of " + medium_.catalogueFile +
                                   u" (it lists " +
                                   Joined(catalogue_.Lines(kMainSeries).value_or(StringList{})) + u")"};
            }
            entry_ = *options_.model;
            return std::nullopt;
        }
        // The attached printer that counts is one whose model the catalogue lists.
        const StringList listed = ListedAttachedModels(attached_, catalogue_);
        if (listed.size() == 1) {
            entry_ = listed.front();
            return std::nullopt;
        }
        if (listed.size() > 1) {
            return Refusal{kExitInvalidCommandLine,
                           u"no /model given, and printers of several listed models are attached: " +
                               QuotedList(listed)};
        }
        if (attached_.printers.empty()) {
            return Refusal{kExitInvalidCommandLine, u"no /model given, and no USB printer is attached"};
        }
        StringList models;
        for (const AttachedPrinter& printer : attached_.printers) models.push_back(printer.model);
        return Refusal{kExitInvalidCommandLine,
                       (models.size() == 1 ? u"no /model given, and the attached printer's model "
                                           : u"no /model given, and the attached printers' models ") +
                           QuotedList(models) + u" " + (models.size() == 1 ? u"is" : u"are") + u" not listed in [" +
                           std::u16string(kMainSeries) + u"]"};
    }

    std::optional<Refusal> ChoosePort(std::u16string& port) {
        if (options_.port) {
            Listing<StringList> ports = ListPortNames();
            if (!ports.ok()) {
                return Refusal{kExitFailed, u"the spooler cannot list its ports: " + ErrorText(ports.error)};
            }
            for (const std::u16string& listed : *ports.value) {
                // Port names are not case-sensitive; the spooler's spelling is the one used.
                if (text::EqualNoCase(listed.c_str(), options_.port->c_str())) {
                    port = listed;
                    return std::nullopt;
                }
            }
            return Refusal{kExitInvalidCommandLine, u"the port " + Quoted(*options_.port) +
                                                        u" is not one the spooler lists (" +
                                                        Joined(*ports.value) + u")"};
        }
        // The port of the attached printer of the model; two of them leave the choice to
        // whoever deploys, as the log says.
        char16_t printerName[kPathCapacity] = {};
        if (!catalogue_.ReadPrinterName(entry_.c_str(), printerName, kPathCapacity)) printerName[0] = 0;
        StringList ports;
        for (const AttachedPrinter& printer : AttachedOfPrinter(attached_, catalogue_, printerName)) {
            if (!printer.port.empty() && !text::BreaksQuotes(printer.port.c_str())) ports.push_back(printer.port);
        }
        if (ports.size() == 1) {
            port = ports.front();
            return std::nullopt;
        }
        if (ports.size() > 1) {
            return Refusal{kExitInvalidCommandLine, u"no /port given, and " +
                                                        text::Decimal(static_cast<long long>(ports.size())) +
                                                        u" printers of the model " + Quoted(entry_) +
                                                        u" are attached, on the ports " + QuotedList(ports)};
        }
        return Refusal{kExitInvalidCommandLine,
                       u"no /port given, and no USB port of an attached printer was found"};
    }

    const SetupOptions& options_;
    const MediumFiles& medium_;
    Catalogue catalogue_;
    AttachedPrinters attached_;
    std::u16string entry_;
};

std::uint32_t ExitCodeOf(FlowResult result) {
    switch (result) {
        case FlowResult::Done:
            return kExitSuccess;
        case FlowResult::DoneRestartRequired:
            return kExitRestartRequired;
        case FlowResult::Failed:
            break;
    }
    return kExitFailed;
}

}  // namespace

std::uint32_t RunUnattended(const SetupOptions& options, const MediumFiles& medium, SetupLog& log) {
    InstallRequest request;
    UnattendedRequest preparation(options, medium);
    const std::optional<Refusal> refusal = preparation.Check(request);
    LogAttached(preparation.Attached(), log);
    if (refusal) {
        log.Write(u"Refused, nothing changed: " + refusal->reason);
        return refusal->exitCode;
    }
    // No window of SetupAPI either (an unsigned-driver prompt, a file prompt): with nobody
    // to answer it, such a call fails instead of waiting.
    platform::Get<platform::PnpUpdate>().SetupSetNonInteractiveMode(1);
    log.Write(u"SetupAPI is set to show nothing (non-interactive mode)");
    const std::u16string what = options.whatIf ? u"What if: nothing is changed. " : u"";
    FlowResult result;
    if (options.uninstall) {
        log.Write(what + u"Removing the model " + Quoted(preparation.Entry()) + u" (printer " +
                  Quoted(request.printerName) + u")");
        result = RunRemoval(request, log);
    } else {
        log.Write(what + (options.update ? u"Updating the model " : u"Installing the model ") +
                  Quoted(preparation.Entry()) + u" (printer " +
                  Quoted(request.printerName) + u", driver " + request.driverInf + u", port " + request.port +
                  (request.makeDefault ? u", made the default" : u"") +
                  (request.testPage ? u", test page" : u"") + u")");
        LoggedOnly observer;
        result = RunInstallation(request, observer, log);
    }
    return ExitCodeOf(result);
}

}  // namespace engine
