#include "engine/run/wow64_handover.h"

#include <utility>

#include "engine/run/run_program.h"
#include "platform/kernel_objects.h"
#include "platform/log_file.h"
#include "platform/process.h"
#include "platform/services.h"

namespace engine {

const char16_t kX64ProgramName[] = u"tamrin64.exe";

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

HandOverOutcome NotStarted(platform::Dword error) {
    return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound
               ? HandOverOutcome::ProgramMissing
               : HandOverOutcome::StartFailed;
}

// Opens the program for the check, keeps it open in `file` and judges its signature;
// false, with the outcome set, when it is not to be started.
bool CheckSigner(HandOver& result, const platform::Sha256& signer, platform::KernelObject& file) {
    auto& files = platform::Get<platform::SignedFiles>();
    platform::Result<platform::Handle> opened = files.CreateFileW(
        result.program.c_str(), platform::kGenericRead, platform::kFileShareRead, platform::kOpenExisting, 0);
    if (!opened.ok()) {
        result.error = opened.error;
        result.outcome = NotStarted(opened.error);
        return false;
    }
    file.reset(opened.value);
    result.check = files.VerifySignature(file.get(), result.program.c_str());
    result.expected = signer;
    result.signature = JudgeSignature(result.check, signer);
    if (Accepted(*result.signature)) return true;
    result.outcome = HandOverOutcome::Refused;
    return false;
}

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

HandOver HandOverToX64Program(std::u16string_view folder, const std::optional<platform::Sha256>& signer) {
    HandOver result;
    auto& processes = platform::Get<platform::Processes>();
    result.program = std::u16string(folder) + kX64ProgramName;
    platform::KernelObject checked;
    if (signer && !CheckSigner(result, *signer, checked)) return result;
    const char16_t* own = processes.GetCommandLineW();
    std::u16string line = HandOverCommandLine(result.program, ArgumentsOf(own ? own : u""));
    SameFileGate gate(std::move(checked));
    ProgramRun run = RunToExit(result.program, line, signer ? &gate : nullptr);
    result.image = gate.Seen();
    if (run.refused) {
        result.outcome = HandOverOutcome::NotTheFileChecked;
        result.error = run.endError;
        return result;
    }
    if (!run.started) {
        result.error = run.error;
        result.outcome = NotStarted(run.error);
        return result;
    }
    result.outcome = HandOverOutcome::Finished;
    result.exitCode = run.exitCode;
    return result;
}

}  // namespace engine
