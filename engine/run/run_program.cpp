#include "engine/run/run_program.h"

#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/services.h"

namespace engine {

ProgramRun RunToExit(std::u16string_view program, std::u16string_view commandLine,
                     platform::KernelObject* heldUntilStarted, platform::Dword waitMs) {
    auto& processes = platform::Get<platform::Processes>();
    std::u16string application(program);
    std::vector<char16_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(0);

    ProgramRun run;
    platform::ProcessInformation started;
    platform::Result<platform::Bool> start =
        processes.CreateProcessW(application.c_str(), writable.data(), &started);
    if (heldUntilStarted) heldUntilStarted->reset();  // its image is mapped now and cannot change
    if (!start.ok()) {
        run.error = start.error;
        return run;
    }
    platform::KernelObject process(started.process);
    platform::KernelObject thread(started.thread);
    thread.reset();
    run.started = true;
    if (platform::Get<platform::KernelObjects>().WaitForSingleObject(process.get(), waitMs) == platform::kWaitTimeout) {
        run.stillRunning = true;
        return run;
    }
    platform::Dword code = kUnknownExitCode;
    if (!processes.GetExitCodeProcess(process.get(), &code).ok()) code = kUnknownExitCode;
    run.exitCode = code;
    return run;
}

}  // namespace engine
