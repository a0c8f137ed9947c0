#include "engine/run/startup.h"

#include "engine/medium/catalogue.h"
#include "engine/run/exit_codes.h"
#include "engine/limits.h"
#include "engine/medium/medium_messages.h"
#include "engine/messages/messages.h"
#include "engine/log/setup_log.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {
namespace {

static_assert(kMaxProgramDirLength == 227, "MessageId::FolderTooLong names the limit");

StartDecision EndWith(std::uint32_t exitCode, StartReport report) {
    StartDecision decision;
    decision.exitCode = exitCode;
    decision.report = std::move(report);
    return decision;
}

// A run refused before it changed anything: 1603, an error box, and the notes so far.
StartDecision RefusedBeforeAnyChange(const Message& why, const std::vector<StartNote>& notes) {
    StartDecision refused = EndWith(kExitFailed, {u"Refused, nothing changed: " + LogText(why), ShownText(why),
                                                  ShownText(MessageId::ErrorCaption), platform::kIconError});
    refused.notes = notes;
    return refused;
}

// The report of a message: its log line, and its box with this caption and icon.
StartReport Reported(const Message& message, platform::Dword boxType,
                     MessageId caption = MessageId::SetupCaption) {
    return StartReport{LogText(message), ShownText(message), ShownText(caption), boxType};
}

// Why the x64 program's signature was refused.
Message SignatureRefusal(const HandOver& handOver) {
    MessageId id = MessageId::SignatureNotAccepted;
    switch (handOver.signature.value_or(SignatureFinding::Unverifiable)) {
        case SignatureFinding::NotSigned: id = MessageId::SignatureMissing; break;
        case SignatureFinding::BadDigest: id = MessageId::SignatureChanged; break;
        case SignatureFinding::OtherSigner: id = MessageId::SignatureOtherSigner; break;
        case SignatureFinding::NoSigner: id = MessageId::SignatureSignerUnreadable; break;
        case SignatureFinding::Trusted:
        case SignatureFinding::ChainNotTrusted:
        case SignatureFinding::Unverifiable: break;
    }
    return Message(id, {ErrorText(handOver.check.trust),
                        ThumbprintText(handOver.check.signer.value_or(platform::Sha256{})),
                        ThumbprintText(handOver.expected)});
}

// The x64 program kept from running: the log says why and whether it could be ended. The
// box is the refused signature's for another file (what would run is not what was
// signed), else the failed start's with the error.
StartReport ImageNotChecked(const HandOver& handOver) {
    const bool another = handOver.image.finding == ImageFinding::AnotherFile;
    const Message box(
        another ? MessageId::X64ProgramRefused : MessageId::X64ProgramNotStarted,
        {handOver.program, u"",
         another ? ShownText(MessageId::SignatureChanged) : text::Decimal(handOver.image.error)});
    std::u16string log =
        u"64-bit Windows needs the x64 program, which was started suspended and not let run because ";
    log.append(ImageRefusal(handOver.image));
    if (handOver.error) {
        log.append(u" (it could not be ended and stays suspended: ")
            .append(ErrorText(handOver.error))
            .append(u")");
    }
    log.append(u": ").append(handOver.program);
    return StartReport{log, ShownText(box), ShownText(MessageId::SetupCaption), platform::kIconError};
}

// The hand-over that could not run the x64 program; nothing when it ran or was not needed.
std::optional<StartReport> HandOverFailure(const HandOver& handOver) {
    switch (handOver.outcome) {
        case HandOverOutcome::NotNeeded:
        case HandOverOutcome::Finished:
            return std::nullopt;
        case HandOverOutcome::Refused: {
            const Message reason = SignatureRefusal(handOver);
            return Reported(
                {MessageId::X64ProgramRefused, {handOver.program, LogText(reason), ShownText(reason)}},
                platform::kIconError);
        }
        case HandOverOutcome::NotTheFileChecked:
            return ImageNotChecked(handOver);
        case HandOverOutcome::ProgramMissing:
            return Reported({MessageId::X64ProgramMissing, {handOver.program}}, platform::kIconError);
        case HandOverOutcome::X64NotRunnable:
            return Reported(MessageId::X64NotRunnable, platform::kIconError);
        case HandOverOutcome::StartFailed:
            return Reported({MessageId::X64ProgramNotStarted,
                             {handOver.program, ErrorText(handOver.error), text::Decimal(handOver.error)}},
                            platform::kIconError);
    }
    return std::nullopt;
}

}  // namespace

StartDecision DecideStart(const ParsedSwitches& parsed, StartFacts& facts) {
    if (!facts.FolderFits()) {
        return EndWith(kExitFailed,
                       Reported(MessageId::FolderTooLong, platform::kIconError, MessageId::ErrorCaption));
    }
    // The x64 program does the whole run, the command line's checks and the log included.
    const HandOver handOver = facts.HandOverIfNeeded();
    if (handOver.outcome == HandOverOutcome::Finished) {
        StartDecision decision;
        decision.exitCode = handOver.exitCode;
        // A chain not trusted here does not stop the hand-over, but the log says so.
        decision.writesLog = handOver.signature == SignatureFinding::ChainNotTrusted;
        if (decision.writesLog) {
            decision.notes.push_back(StartNote{
                u"The x64 program ran; its signature is intact and made with the expected "
                u"certificate (SHA-256 " +
                    ThumbprintText(handOver.expected) +
                    u"), but its certificate chain is not trusted on this machine",
                handOver.check.trust});
        }
        return decision;
    }
    if (std::optional<StartReport> failure = HandOverFailure(handOver)) return EndWith(kExitFailed, *failure);

    if (!parsed.accepted) {
        return EndWith(parsed.exitCode,
                       Reported({MessageId::InvalidCommandLine,
                                 {parsed.refusal, parsed.reason ? ShownText(*parsed.reason) : parsed.refusal}},
                                platform::kIconError));
    }
    if (ModeOf(parsed.options) == SetupMode::Usage) {
        return EndWith(kExitSuccess, {UsageText(Language::English), UsageText(ShownLanguage()),
                                      ShownText(MessageId::SetupCaption),
                                      platform::kIconInformation});
    }

    StartDecision decision;
    const InstanceStatus lock = facts.TakeSetupLock();
    switch (lock.state) {
        case InstanceState::Alone:
            break;
        case InstanceState::AnotherRunning:
            return EndWith(kExitAlreadyRunning,
                           Reported(MessageId::AlreadyRunning, platform::kIconWarning));
        case InstanceState::Unknown:
            // Never a run without exclusion: another one may be changing the same printers.
            return EndWith(kExitAlreadyRunning,
                           Reported({MessageId::CannotExclude,
                                     {lock.failure, ErrorText(lock.error), text::Decimal(lock.error)}},
                                    platform::kIconWarning));
    }
    if (lock.globalName) {
        decision.notes.push_back(StartNote{u"This system has no private object namespaces: the global name Global\\" +
                                               std::u16string(kInstanceName) + u" keeps one setup at a time",
                                           platform::kErrorProcNotFound});
    }
    // A medium whose catalogue cannot serve ends here, before any page and any change.
    const CatalogueProblem problem = facts.CheckCatalogue();
    if (problem != CatalogueProblem::None) {
        return RefusedBeforeAnyChange(CatalogueProblemMessage(problem, facts.CatalogueFile()), decision.notes);
    }
    // Windows protected print mode takes no third-party driver: a run that would install
    // one ends before any change; a removal goes on.
    const SetupOptions& options = parsed.options;
    if (!(options.quiet && options.uninstall)) {
        const platform::ProtectedPrintReading reading = facts.ReadProtectedPrint();
        if (reading.state == platform::ProtectedPrintReading::State::Unknown) {
            decision.notes.push_back(StartNote{
                u"Whether Windows protected print mode is on cannot be read; it is taken as off", reading.error});
        }
        if (reading.state == platform::ProtectedPrintReading::State::On) {
            return RefusedBeforeAnyChange(MessageId::ProtectedPrintOn, decision.notes);
        }
    }
    decision.action = parsed.options.quiet ? StartAction::RunQuiet : StartAction::RunWizard;
    return decision;
}

HandOver SystemStartFacts::HandOverIfNeeded() {
    if (!handOver_) return HandOver{};
    if (!x64Runs_) {
        HandOver none;
        none.outcome = HandOverOutcome::X64NotRunnable;
        return none;
    }
    return HandOverToX64Program(medium_.programFolder, signer_);
}

InstanceStatus SystemStartFacts::TakeSetupLock() {
    lock_.emplace();
    return lock_->Status();
}

CatalogueProblem SystemStartFacts::CheckCatalogue() { return engine::CheckCatalogue(Catalogue(medium_.catalogueFile)); }

platform::ProtectedPrintReading SystemStartFacts::ReadProtectedPrint() {
    return platform::Get<platform::ProtectedPrint>().IsProtectedPrintEnabled();
}

}  // namespace engine
