#include "engine/run/run_program.h"

#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/services.h"

namespace engine {
namespace {

// Ends a program that must not run, and waits until it has: its image stays mapped until
// then. A program that cannot be ended stays suspended; the error says why.
platform::Dword End(platform::Handle process, platform::Dword waitMs) {
    platform::Result<platform::Bool> ended =
        platform::Get<platform::Processes>().TerminateProcess(process, kUnknownExitCode);
    if (!ended.ok()) return ended.error;
    platform::Get<platform::KernelObjects>().WaitForSingleObject(process, waitMs);
    return 0;
}

}  // namespace

ProgramRun RunToExit(std::u16string_view program, std::u16string_view commandLine, StartGate* gate,
                     platform::Dword waitMs) {
    auto& processes = platform::Get<platform::Processes>();
    std::u16string application(program);
    std::vector<char16_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(0);

    ProgramRun run;
    platform::ProcessInformation started;
    platform::Result<platform::Bool> start =
        gate ? processes.CreateProcessSuspended(application.c_str(), writable.data(), &started)
             : processes.CreateProcessW(application.c_str(), writable.data(), &started);
    if (!start.ok()) {
        run.error = start.error;
        return run;
    }
    platform::KernelObject process(started.process);
    platform::KernelObject thread(started.thread);
    if (gate) {
        if (!gate->LetsRun(process.get())) {
            run.refused = true;
            run.endError = End(process.get(), waitMs);
            return run;
        }
        platform::Result<platform::Bool> resumed = processes.ResumeThread(thread.get());
        if (!resumed.ok()) {
            run.error = resumed.error;
            run.endError = End(process.get(), waitMs);
            return run;
        }
    }
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
