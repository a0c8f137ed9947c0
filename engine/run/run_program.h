// Starting a program by its full path and waiting for it to end, as the x86 program's
// hand-over and the installer package's action do.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/kernel_objects.h"
#include "platform/process.h"
#include "platform/types.h"

namespace engine {

struct ProgramRun {
    bool started = false;
    platform::Dword error = 0;   // why it did not start (CreateProcessW's or ResumeThread's error)
    std::uint32_t exitCode = 0;  // its exit code, once it has ended
    bool stillRunning = false;   // it had not ended when the wait's limit was reached
    bool refused = false;        // its gate did not let it run: it was ended before it ran
    platform::Dword endError = 0;  // why a program kept from running could not be ended
};

// The exit code given when a started program's own could not be read, and the one a
// program kept from running is ended with.
constexpr std::uint32_t kUnknownExitCode = 1;

// Decides whether a program started suspended may run, before any of its code has run.
class StartGate {
public:
    virtual bool LetsRun(platform::Handle process) = 0;

protected:
    ~StartGate() = default;
};

// Starts `program` with `commandLine` (which names the program first) and waits for it to
// end, at most `waitMs`; a program still running then is left running. With a gate it is
// started suspended and resumed only when the gate lets it run; else it is ended
// (TerminateProcess) and waited for.
ProgramRun RunToExit(std::u16string_view program, std::u16string_view commandLine, StartGate* gate = nullptr,
                     platform::Dword waitMs = platform::kInfinite);

}  // namespace engine
