// The installer package's actions: the installed program's unattended installation and
// removal, run from the package, and how the package ends after them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run/run_program.h"

namespace engine {

enum class PackageStep { Install, Uninstall };

// What the package hands a deferred action: the installed folder and the properties, in
// the order the package joins them.
struct PackageRequest {
    std::u16string folder;  // ends with a backslash, as Windows Installer gives folders
    std::u16string model;
    std::u16string port;
    bool noDefault = false;
    bool testPage = false;
    std::u16string log;
    // An upgrade or a repair: the printers of the model are kept as they are and given the
    // driver again (/update), and made only where there is none.
    bool update = false;
    // At an upgrade to another model: the older model, whose printers go once the new
    // model's printer is installed. Empty otherwise.
    std::u16string replacedModel;
};

// The action data is the fields above joined by double quotes: a character that no path
// holds and that the program refuses in every value, so no value can add or move a field.
// Empty when the data does not have exactly those fields (a value held a double quote).
// The older model is taken only at an update, and only when it is another model.
std::optional<PackageRequest> ParseActionData(std::u16string_view data);

// The program's command line: its full path in quotes, /quiet, the step's switches and
// each property's switch only when the property is set.
std::u16string PackageCommandLine(std::u16string_view program, PackageStep step,
                                  const PackageRequest& request);

enum class PackageVerdict {
    Success,          // the package goes on
    RestartRequired,  // it goes on and ends asking for a restart
    Failed,           // it fails and rolls back
    // The printers' removal did not finish: the product is removed all the same (a removal
    // that failed would roll back, and the product could never be removed), the printers
    // that stay are the program's log's to name.
    RemovedLeavingPrinters,
};

// How the package ends after the program's exit code: an installation goes on only after
// 0 and 3010; a removal always goes on.
PackageVerdict JudgeExitCode(std::uint32_t exitCode, PackageStep step = PackageStep::Install);

// The program run by the package's action: waited for at most 10 minutes in all, and
// asked again every 10 s while it answers 1618 (another setup is running). A program still
// running at the end is left running.
struct ActionRun {
    ProgramRun run;
    int busyAnswers = 0;  // the 1618 answers it was asked again after
};
ActionRun RunActionProgram(std::u16string_view program, std::u16string_view commandLine);

// The exit code in words, for the package's log.
std::u16string_view ExitCodeMeaning(std::uint32_t exitCode);

// The last `maxLines` lines of what the program appended to its log (UTF-8), for the
// package's log: they say which step failed and why. Blank lines are left out.
std::vector<std::u16string> LastLogLines(std::string_view appended, std::size_t maxLines);

}  // namespace engine
