#include "msi/action/package_action.h"

#include <algorithm>

#include "engine/run/exit_codes.h"
#include "engine/run/wow64_handover.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/timing.h"

namespace engine {

namespace {

constexpr std::size_t kFieldCount = 8;

// A value in quotes, read back as it is: the parser takes backslashes before a quote as
// escapes, so the ones a value ends with are doubled (a folder for the log, say). The value
// holds no quote (ParseActionData splits there).
void AppendValue(std::u16string& line, std::u16string_view name, std::u16string_view value) {
    std::size_t trailing = value.size() - std::min(value.size(), value.find_last_not_of(u'\\') + 1);
    line.append(u" ").append(name).append(u" \"").append(value).append(trailing, u'\\').append(u"\"");
}

}  // namespace

std::optional<PackageRequest> ParseActionData(std::u16string_view data) {
    std::vector<std::u16string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t quote = data.find(u'"', start);
        fields.push_back(data.substr(start, quote == std::u16string_view::npos ? quote : quote - start));
        if (quote == std::u16string_view::npos) break;
        start = quote + 1;
    }
    if (fields.size() != kFieldCount) return std::nullopt;
    PackageRequest request;
    request.folder = fields[0];
    if (!request.folder.empty() && request.folder.back() != u'\\') request.folder.push_back(u'\\');
    request.model = fields[1];
    request.port = fields[2];
    request.noDefault = !fields[3].empty();
    request.testPage = !fields[4].empty();
    request.log = fields[5];
    request.update = !fields[6].empty();
    if (request.update && fields[7] != fields[1]) request.replacedModel = fields[7];
    return request;
}

std::u16string PackageCommandLine(std::u16string_view program, PackageStep step,
                                  const PackageRequest& request) {
    std::u16string arguments = u"/quiet";
    if (step == PackageStep::Uninstall) arguments.append(u" /uninstall");
    if (step == PackageStep::Install && request.update) arguments.append(u" /update");
    AppendValue(arguments, u"/model", request.model);
    if (step == PackageStep::Install) {
        if (!request.port.empty()) AppendValue(arguments, u"/port", request.port);
        if (request.noDefault) arguments.append(u" /nodefault");
        if (request.testPage) arguments.append(u" /testpage");
    }
    if (!request.log.empty()) AppendValue(arguments, u"/log", request.log);
    return HandOverCommandLine(program, arguments);
}

ActionRun RunActionProgram(std::u16string_view program, std::u16string_view commandLine) {
    constexpr std::uint64_t kBudgetMs = 10 * 60 * 1000;
    constexpr platform::Dword kRetryMs = 10 * 1000;
    auto& timing = platform::Get<platform::Timing>();
    const std::uint64_t start = timing.GetTickCount64();
    ActionRun action;
    for (;;) {
        const std::uint64_t used = timing.GetTickCount64() - start;
        const platform::Dword left = used >= kBudgetMs ? 0 : static_cast<platform::Dword>(kBudgetMs - used);
        action.run = RunToExit(program, commandLine, nullptr, left);
        if (!action.run.started || action.run.stillRunning || action.run.exitCode != kExitAlreadyRunning) break;
        // No time left for another try: the 1618 stands.
        if (timing.GetTickCount64() - start + kRetryMs >= kBudgetMs) break;
        ++action.busyAnswers;
        timing.Sleep(kRetryMs);
    }
    return action;
}

PackageVerdict JudgeExitCode(std::uint32_t exitCode, PackageStep step) {
    if (exitCode == kExitSuccess) return PackageVerdict::Success;
    if (exitCode == kExitRestartRequired) return PackageVerdict::RestartRequired;
    return step == PackageStep::Uninstall ? PackageVerdict::RemovedLeavingPrinters : PackageVerdict::Failed;
}

std::u16string_view ExitCodeMeaning(std::uint32_t exitCode) {
    switch (exitCode) {
        case kExitSuccess:
            return u"success";
        case kExitRestartRequired:
            return u"success; Windows must restart before the printer is used";
        case kExitFailed:
            return u"the installation or removal failed (the program's log says at which step)";
        case kExitAlreadyRunning:
            return u"another setup is running on this machine; nothing was changed";
        case kExitInvalidCommandLine:
            return u"the program refused its command line (a model the catalogue does not list, "
                   u"a port the spooler does not list, or a value too long); nothing was changed";
        default:
            return u"an exit code the program does not give: it failed";
    }
}

std::vector<std::u16string> LastLogLines(std::string_view appended, std::size_t maxLines) {
    std::vector<std::u16string> lines;
    std::size_t end = appended.size();
    while (end > 0 && lines.size() < maxLines) {
        std::size_t start = appended.rfind('\n', end - 1);
        start = start == std::string_view::npos ? 0 : start + 1;
        std::string_view line = appended.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        if (!line.empty()) lines.insert(lines.begin(), text::FromUtf8(std::string(line)));
        end = start == 0 ? 0 : start - 1;
    }
    return lines;
}

}  // namespace engine
