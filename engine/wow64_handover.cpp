#include "engine/wow64_handover.h"

#include <vector>

#include "platform/kernel_objects.h"
#include "platform/process.h"
#include "platform/services.h"

namespace engine {

const char16_t kX64ProgramName[] = u"tamrin64.exe";

namespace {

// The exit code given when the x64 program's own could not be read.
constexpr std::uint32_t kUnknownExitCode = 1;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::u16string_view ArgumentsOf(std::u16string_view commandLine) {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == u'"') {
        std::size_t close = commandLine.find(u'"', 1);
        i = close == std::u16string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    }
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    return commandLine.substr(i);
}

std::u16string HandOverCommandLine(std::u16string_view program, std::u16string_view arguments) {
    std::u16string line;
    line.reserve(program.size() + arguments.size() + 3);
    line.append(u"\"").append(program).append(u"\"");
    if (!arguments.empty()) line.append(u" ").append(arguments);
    return line;
}

bool RunsUnderWow64() {
    auto& processes = platform::Get<platform::Processes>();
    platform::Bool wow64 = 0;
    return processes.IsWow64Process(processes.GetCurrentProcess(), &wow64).ok() && wow64;
}

HandOver HandOverToX64Program(std::u16string_view folder) {
    HandOver result;
    if (!RunsUnderWow64()) return result;
    auto& processes = platform::Get<platform::Processes>();
    result.program = std::u16string(folder) + kX64ProgramName;
    const char16_t* own = processes.GetCommandLineW();
    std::u16string line = HandOverCommandLine(result.program, ArgumentsOf(own ? own : u""));
    std::vector<char16_t> writable(line.begin(), line.end());
    writable.push_back(0);

    platform::ProcessInformation started;
    platform::Result<platform::Bool> start =
        processes.CreateProcessW(result.program.c_str(), writable.data(), &started);
    if (!start.ok()) {
        result.error = start.error;
        result.outcome = result.error == platform::kErrorFileNotFound || result.error == platform::kErrorPathNotFound
                             ? HandOverOutcome::ProgramMissing
                             : HandOverOutcome::StartFailed;
        return result;
    }
    platform::KernelObject process(started.process);
    platform::KernelObject thread(started.thread);
    thread.reset();
    platform::Get<platform::KernelObjects>().WaitForSingleObject(process.get(), platform::kInfinite);
    platform::Dword code = kUnknownExitCode;
    if (!processes.GetExitCodeProcess(process.get(), &code).ok()) code = kUnknownExitCode;
    result.outcome = HandOverOutcome::Finished;
    result.exitCode = code;
    return result;
}

}  // namespace engine
