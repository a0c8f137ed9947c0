#include "engine/install/rundll32.h"

#include "engine/limits.h"
#include "platform/kernel_objects.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace engine {
namespace {

using platform::Dword;

constexpr Dword kRundll32WaitMilliseconds = 120000;

struct StartFailureMessage {
    Dword error;
    const char16_t* text;
};

constexpr StartFailureMessage kStartFailureMessages[] = {
    {2, u"The specified file was not found."},
    {3, u"The specified path was not found."},
    {5, u"Access to the specified file is denied."},
    {8, u"There is not enough memory to perform the specified action."},
    {32, u"A sharing violation occurred."},
    {1155, u"There is no application associated with the given file name extension."},
    {1156, u"The Dynamic Data Exchange (DDE) transaction failed."},
    {1157, u"One of the library files necessary to run the application can't be found."},
    {1223, u"The function prompted the user for additional information, but the user canceled the request."},
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

const char16_t* StartFailureText(Dword error) {
    for (const auto& message : kStartFailureMessages) {
        if (message.error == error) return message.text;
    }
    return u"Other error occurred.";
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

void ShowStartFailure(const char16_t* text) {
    platform::Get<platform::MessageBoxes>().MessageBoxW(nullptr, text, u"ERROR", platform::kIconError);
}

bool RunRundll32(const char16_t* parameters) {
    platform::Outcome start = StartRundll32(parameters);
    if (start.ok()) return true;
    ShowStartFailure(StartFailureText(start.error));
    return false;
}

}  // namespace engine
