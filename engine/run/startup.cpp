#include "engine/run/startup.h"

#include "engine/medium/catalogue.h"
#include "engine/run/exit_codes.h"
#include "engine/limits.h"
#include "engine/medium/medium_messages.h"
#include "engine/log/setup_log.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace engine {
namespace {

const char16_t kCaption[] = u"Korvel Printer Driver Setup";

static_assert(kMaxProgramDirLength == 227, "the message below names the limit");
const char16_t kFolderTooLong[] =
    u"The path of the folder this setup program was started from is too long: it must be "
    u"at most 227 characters, including the drive and the final backslash.\n\n"
    u"Copy the setup files to a folder with a shorter path and start the program again.";
const char16_t kInvalidCommandLine[] = u"命令行无效：";
const char16_t kUsageHint[] = u"\n\n用 /? 启动本程序可查看全部命令行参数。";
const char16_t kAlreadyRunning[] = u"另一个打印机驱动安装程序正在运行。\n\n请等它结束后再启动本程序。";
const char16_t kCannotExclude[] =
    u"无法确定是否有另一个打印机驱动安装程序正在运行，所以本程序没有做任何更改。\n\n错误代码：";

StartDecision EndWith(std::uint32_t exitCode, StartReport report) {
    StartDecision decision;
    decision.exitCode = exitCode;
    decision.report = std::move(report);
    return decision;
}

// Why the x64 program's signature was refused: for the log, and for the box.
std::u16string SignatureReason(const HandOver& handOver) {
    const SignatureFinding finding = handOver.signature.value_or(SignatureFinding::Unverifiable);
    switch (finding) {
        case SignatureFinding::NotSigned:
            return u"it carries no Authenticode signature (" + ErrorText(handOver.check.trust) + u")";
        case SignatureFinding::BadDigest:
            return u"it was changed after it was signed (" + ErrorText(handOver.check.trust) + u")";
        case SignatureFinding::OtherSigner:
            return u"it is signed with another certificate (SHA-256 " +
                   ThumbprintText(handOver.check.signer.value_or(platform::Sha256{})) + u", expected " +
                   ThumbprintText(handOver.expected) + u")";
        case SignatureFinding::NoSigner:
            return u"its signer's certificate cannot be read";
        case SignatureFinding::Trusted:
        case SignatureFinding::ChainNotTrusted:
        case SignatureFinding::Unverifiable:
            break;
    }
    return u"its signature is not accepted: " + ErrorText(handOver.check.trust);
}

std::u16string SignatureReasonForBox(const HandOver& handOver) {
    switch (handOver.signature.value_or(SignatureFinding::Unverifiable)) {
        case SignatureFinding::NotSigned:
            return u"它没有数字签名。";
        case SignatureFinding::BadDigest:
            return u"它在签名之后被改动过。";
        case SignatureFinding::OtherSigner:
            return u"它不是用本程序发布者的证书签名的。";
        case SignatureFinding::NoSigner:
            return u"无法读取它的签名者证书。";
        case SignatureFinding::Trusted:
        case SignatureFinding::ChainNotTrusted:
        case SignatureFinding::Unverifiable:
            break;
    }
    return u"它的数字签名不被接受：" + ErrorText(handOver.check.trust);
}

// The hand-over that could not run the x64 program; nothing when it ran or was not needed.
std::optional<StartReport> HandOverFailure(const HandOver& handOver) {
    switch (handOver.outcome) {
        case HandOverOutcome::NotNeeded:
        case HandOverOutcome::Finished:
            return std::nullopt;
        case HandOverOutcome::Refused:
            return StartReport{u"64-bit Windows needs the x64 program, which was not started because " +
                                   SignatureReason(handOver) + u": " + handOver.program,
                               u"这是 64 位 Windows，需要用 64 位安装程序 tamrin64.exe 安装打印机驱动，"
                               u"但它的数字签名没有通过检查，所以没有启动它：\n" +
                                   handOver.program + u"\n\n" + SignatureReasonForBox(handOver) +
                                   u"\n\n请从完整、未经改动的驱动光盘启动安装程序。",
                               kCaption, platform::kIconError};
        case HandOverOutcome::ProgramMissing:
            return StartReport{u"64-bit Windows needs the x64 program, which is missing: " + handOver.program,
                               u"这是 64 位 Windows，需要用 64 位安装程序 tamrin64.exe 安装打印机驱动。\n\n"
                               u"在本程序所在的文件夹中找不到它：\n" +
                                   handOver.program +
                                   u"\n\n请把 tamrin64.exe 复制到这个文件夹，或从完整的驱动光盘启动安装程序。",
                               kCaption, platform::kIconError};
        case HandOverOutcome::StartFailed:
            return StartReport{u"64-bit Windows needs the x64 program, which cannot be started: " + handOver.program +
                                   u": " + ErrorText(handOver.error),
                               u"这是 64 位 Windows，需要用 64 位安装程序安装打印机驱动，但它无法启动：\n" +
                                   handOver.program + u"\n\n错误代码：" + text::Decimal(handOver.error),
                               kCaption, platform::kIconError};
    }
    return std::nullopt;
}

std::u16string CatalogueReason(CatalogueProblem problem, const std::u16string& file) {
    switch (problem) {
        case CatalogueProblem::Missing: return u"the catalogue " + file + u" is missing";
        case CatalogueProblem::Unreadable: return u"the catalogue " + file + u" cannot be read";
        case CatalogueProblem::NoModels:
            return u"the catalogue " + file + u" lists no model in [" + std::u16string(kMainSeries) + u"]";
        case CatalogueProblem::None: break;
    }
    return {};
}

}  // namespace

StartDecision DecideStart(const ParsedSwitches& parsed, StartFacts& facts) {
    if (!facts.FolderFits()) {
        return EndWith(kExitFailed, {u"The path of the program's folder is too long (at most 227 characters)",
                                     kFolderTooLong, u"ERROR", platform::kIconError});
    }
    // The x64 program does the whole run, the command line's checks and the log included.
    const HandOver handOver = facts.HandOverIfNeeded();
    if (handOver.outcome == HandOverOutcome::Finished) {
        StartDecision decision;
        decision.exitCode = handOver.exitCode;
        // A chain not trusted here does not stop the hand-over, but the log says so.
        decision.writesLog = handOver.signature == SignatureFinding::ChainNotTrusted;
        if (decision.writesLog) {
            decision.note = StartNote{
                u"The x64 program ran; its signature is intact and made with the expected "
                u"certificate (SHA-256 " +
                    ThumbprintText(handOver.expected) +
                    u"), but its certificate chain is not trusted on this machine",
                handOver.check.trust};
        }
        return decision;
    }
    if (std::optional<StartReport> failure = HandOverFailure(handOver)) return EndWith(kExitFailed, *failure);

    if (!parsed.accepted) {
        return EndWith(parsed.exitCode, {u"Invalid command line: " + parsed.refusal,
                                         kInvalidCommandLine + parsed.refusal + kUsageHint, kCaption,
                                         platform::kIconError});
    }
    if (ModeOf(parsed.options) == SetupMode::Usage) {
        return EndWith(kExitSuccess, {UsageText(), UsageText(), kCaption, platform::kIconInformation});
    }

    StartDecision decision;
    const InstanceStatus lock = facts.TakeSetupLock();
    switch (lock.state) {
        case InstanceState::Alone:
            break;
        case InstanceState::AnotherRunning:
            return EndWith(kExitAlreadyRunning, {u"Another setup is running; nothing was changed", kAlreadyRunning,
                                                 kCaption, platform::kIconWarning});
        case InstanceState::Unknown:
            // Never a run without exclusion: another one may be changing the same printers.
            return EndWith(kExitAlreadyRunning,
                           {u"Whether another setup runs cannot be known, so nothing was changed: " +
                                lock.failure + u": " + ErrorText(lock.error),
                            kCannotExclude + text::Decimal(lock.error), kCaption, platform::kIconWarning});
    }
    if (lock.globalName) {
        decision.note = StartNote{u"This system has no private object namespaces: the global name Global\\" +
                                      std::u16string(kInstanceName) + u" keeps one setup at a time",
                                  platform::kErrorProcNotFound};
    }
    // A medium whose catalogue cannot serve ends here, before any page and any change.
    const CatalogueProblem problem = facts.CheckCatalogue();
    if (problem != CatalogueProblem::None) {
        StartDecision damaged = EndWith(
            kExitFailed, {u"Refused, nothing changed: " + CatalogueReason(problem, facts.CatalogueFile()),
                          CatalogueProblemText(problem, facts.CatalogueFile()), kMediumProblemCaption,
                          platform::kIconError});
        damaged.note = decision.note;
        return damaged;
    }
    decision.action = parsed.options.quiet ? StartAction::RunQuiet : StartAction::RunWizard;
    return decision;
}

HandOver SystemStartFacts::HandOverIfNeeded() {
    return handOver_ ? HandOverToX64Program(medium_.programFolder, signer_) : HandOver{};
}

InstanceStatus SystemStartFacts::TakeSetupLock() {
    lock_.emplace();
    return lock_->Status();
}

CatalogueProblem SystemStartFacts::CheckCatalogue() { return engine::CheckCatalogue(Catalogue(medium_.catalogueFile)); }

}  // namespace engine
