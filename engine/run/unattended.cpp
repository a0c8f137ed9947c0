#include "engine/run/unattended.h"

#include <optional>

#include "engine/medium/catalogue.h"
#include "engine/machine/attached_printers.h"
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

namespace engine {

using text::Quoted;
namespace {

std::u16string Joined(const StringList& names) {
    std::u16string all;
    for (const std::u16string& name : names) all += (all.empty() ? u"" : u", ") + name;
    return all;
}

// Nothing shown, nothing asked: the log is all there is.
class LoggedOnly final : public FlowObserver {
public:
    void OnStep(FlowStep) override {}
    void OnStartFailure(MessageId) override {}
};

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
        return portRefusal;
    }

    const std::u16string& Entry() const { return entry_; }

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
        if (!attached_.empty() && catalogue_.ListsInMainSeries(attached_.front().model.c_str())) {
            entry_ = attached_.front().model;
            return std::nullopt;
        }
        return Refusal{kExitInvalidCommandLine,
                       !attached_.empty() ? u"no /model given, and the attached printer's model " +
                                                Quoted(attached_.front().model) + u" is not listed in [" +
                                                std::u16string(kMainSeries) + u"]"
                                          : u"no /model given, and no USB printer is attached"};
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
        if (!attached_.empty() && !attached_.front().port.empty() &&
            !text::BreaksQuotes(attached_.front().port.c_str())) {
            port = attached_.front().port;
            return std::nullopt;
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
    if (std::optional<Refusal> refusal = preparation.Check(request)) {
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
        result = RunRemoval(request.printerName, request.dryRun, log);
    } else {
        log.Write(what + u"Installing the model " + Quoted(preparation.Entry()) + u" (printer " +
                  Quoted(request.printerName) + u", driver " + request.driverInf + u", port " + request.port +
                  (request.makeDefault ? u", made the default" : u"") +
                  (request.testPage ? u", test page" : u"") + u")");
        LoggedOnly observer;
        result = RunInstallation(request, observer, log);
    }
    return ExitCodeOf(result);
}

}  // namespace engine
