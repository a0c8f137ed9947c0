#include "engine/install/rundll32.h"

#include "engine/limits.h"
#include "platform/kernel_objects.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace engine {
namespace {

using platform::Dword;

constexpr Dword kRundll32WaitMilliseconds = 120000;

// The shell's errors of a start that have a message of their own.
struct StartFailure {
    Dword error;
    MessageId message;
};

constexpr StartFailure kStartFailures[] = {
    {2, MessageId::StartFileNotFound},
    {3, MessageId::StartPathNotFound},
    {5, MessageId::StartAccessDenied},
    {8, MessageId::StartOutOfMemory},
    {32, MessageId::StartSharingViolation},
    {1155, MessageId::StartNoAssociation},
    {1156, MessageId::StartDdeFailed},
    {1157, MessageId::StartLibraryMissing},
    {1223, MessageId::StartCancelled},
};

// rundll32 by its full path in the system directory, which is also its working folder:
// the program runs elevated, and a search by name, or a library loaded by name from the
// working folder, would look in the medium's folder, which others may write to.
bool Rundll32Path(char16_t (&folder)[kPathCapacity], char16_t (&path)[kPathCapacity]) {
    unsigned length = platform::Get<platform::Shell>().GetSystemDirectoryW(folder, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return false;
    folder[length] = 0;
    if (!text::Copy(path, kPathCapacity, folder)) return false;
    if (path[length - 1] != u'\\' && !text::Append(path, kPathCapacity, u"\\")) return false;
    return text::Append(path, kPathCapacity, u"rundll32.exe");
}

}  // namespace

MessageId StartFailureMessage(Dword error) {
    for (const StartFailure& failure : kStartFailures) {
        if (failure.error == error) return failure.message;
    }
    return MessageId::StartOtherError;
}

platform::Outcome StartRundll32(const char16_t* parameters, bool hidden) {
    char16_t folder[kPathCapacity] = {};
    char16_t program[kPathCapacity] = {};
    if (!Rundll32Path(folder, program)) return platform::Outcome{false, platform::kErrorPathNotFound};
    platform::ShellExecuteInfo start;
    // Hidden, nothing may be shown: without this the shell shows a box of its own when the
    // start fails.
    start.mask = platform::kSeeMaskNoCloseProcess | (hidden ? platform::kSeeMaskFlagNoUi : 0);
    start.verb = u"open";
    start.file = program;
    start.parameters = parameters;
    start.directory = folder;
    start.show = hidden ? platform::kShowHide : platform::kShowNormal;
    platform::Result<platform::Bool> started = platform::Get<platform::Shell>().ShellExecuteExW(&start);
    if (!started.ok()) return platform::OutcomeOf(started);
    // Closed when done; a process still running then is left running.
    platform::KernelObject process(start.process);
    // Whether rundll32 ended or the time ran out, it was started.
    if (process) {
        platform::Get<platform::KernelObjects>().WaitForSingleObject(process.get(), kRundll32WaitMilliseconds);
    }
    return platform::Outcome{true};
}

}  // namespace engine
