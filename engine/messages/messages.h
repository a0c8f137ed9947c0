// What the program says: every text a user sees that the code sets (box texts and
// captions, the wizard's page texts), one row each in one table, with the log's English
// line of the same event beside the text shown, where the log writes one.
//
// A row's texts may hold the placeholders %1 to %9, filled from one list of values: each
// text takes the values it names, so the text shown and the log line of one event may
// name different ones (a number in the box, the system's text for it in the log).
//
// The engine decides which message is said, and with which values; the wizard and the
// program's entry point show it. This room includes no other room of the engine: every
// room may use it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace engine {

enum class MessageId : std::uint8_t {
    // Captions of the boxes, and of the wizard's frame.
    SetupCaption,
    ErrorCaption,
    OkCaption,

    // The start: the program's folder, the command line, another setup (%1 why the lock
    // failed, %2 the system's text of its error, %3 the error's number).
    FolderTooLong,
    InvalidCommandLine,  // %1 the refusal in the log's words, %2 in the words shown
    AlreadyRunning,
    CannotExclude,
    ProtectedPrintOn,  // Windows protected print mode takes no third-party driver

    // The x86 program's hand-over to the x64 one (%1 the x64 program; %2 the system's text
    // of the error and %3 its number, or %2 and %3 the signature's refusal in the log and
    // in the box).
    X64ProgramMissing,
    X64ProgramNotStarted,
    X64ProgramRefused,
    X64NotRunnable,  // ARM64 Windows that runs no x64 program
    // Why the x64 program's signature was refused (%1 the system's text of the trust
    // verdict, %2 the signer's SHA-256, %3 the expected one).
    SignatureMissing,
    SignatureChanged,
    SignatureOtherSigner,
    SignatureSignerUnreadable,
    SignatureNotAccepted,

    // A catalogue that cannot serve (%1 its file, %2 the main series).
    CatalogueMissing,
    CatalogueUnreadable,
    CatalogueWithoutModels,
    // A model the medium cannot install (%1 the model, %2 the catalogue, %3 the printer
    // name, %4 the driver INF, %5 the catalog file the INF names).
    ModelWithoutPrinterName,
    PrinterNameUnusable,
    ModelWithoutPrintHead,
    DriverMissing,
    DriverUnreadable,
    DriverCatalogMissing,
    DriverWithoutArm64,

    // rundll32 could not be started, by the error the shell gave.
    StartFileNotFound,
    StartPathNotFound,
    StartAccessDenied,
    StartOutOfMemory,
    StartSharingViolation,
    StartNoAssociation,
    StartDdeFailed,
    StartLibraryMissing,
    StartCancelled,
    StartOtherError,

    // The wizard's pages.
    WelcomeText,
    UsbPortFound,  // %1 the port
    UsbPortNotFound,
    ModelPrompt,
    UnlistedPrinterWarning,
    UnlistedPrinterCaption,
    FinishIntro,
    FinishDriver,  // %1 the printer
    FinishPort,    // %1 the port
    StatusLabel,
    StatusRemoving,
    StatusInstalling,
    StatusInstalled,
    StatusFailed,  // also the first line of the failure box
    InstalledBox,
    InstalledRestartBox,
    PackageNotStagedDetail,  // under the failure box's first line; %1 the system's reason

    // Why a command line was refused (%1 the switch or argument; %2 another switch, or
    // the value's length; %3 the longest value taken).
    RefusedUnexpected,
    RefusedUnknown,
    RefusedTwice,
    RefusedNoValue,
    RefusedEmptyValue,
    RefusedValueQuote,
    RefusedValueTooLong,
    RefusedValueBackslash,
    RefusedNeeds,
    RefusedCombined,

    // The usage text: its heading (the forms of the command line), each switch's line (its
    // row in engine/run/switches.cpp names it), how switches are written, and the closing
    // paragraph on exit codes.
    UsageHeading,
    UsageQuiet,
    UsageUninstall,
    UsageUpdate,
    UsageModel,
    UsagePort,
    UsageNoDefault,
    UsageTestPage,
    UsageWhatIf,
    UsageLog,
    UsageHelp,
    UsageSwitchForm,
    UsageExitCodes,

    Count
};

// A message the engine decided on, with the values of its placeholders.
struct Message {
    Message(MessageId id, std::vector<std::u16string> values = {}) : id(id), values(std::move(values)) {}

    MessageId id;
    std::vector<std::u16string> values;
};

// The language of the texts shown: Chinese where the user's display language
// (GetUserDefaultUILanguage, the one Windows draws its own buttons in) is Chinese of any
// region, English everywhere else. The log is English always.
enum class Language : std::uint8_t { Chinese, English };
Language LanguageOfUi(std::uint16_t uiLanguage);
// This user's, asked of Windows each time.
Language ShownLanguage();

// The text the user sees, its placeholders filled, in this user's language or the one given.
std::u16string ShownText(const Message& message);
std::u16string ShownText(const Message& message, Language language);
// The log's line of the same event, its placeholders filled; empty for a text the log
// does not write.
std::u16string LogText(const Message& message);

}  // namespace engine
