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
    platform::Dword error = 0;   // why it did not start (CreateProcessW's error)
    std::uint32_t exitCode = 0;  // its exit code, once it has ended
    bool stillRunning = false;   // it had not ended when the wait's limit was reached
};

// The exit code given when a started program's own could not be read.
constexpr std::uint32_t kUnknownExitCode = 1;

// Starts `program` with `commandLine` (which names the program first), closes
// `heldUntilStarted` once it has started (a file kept open so that what runs is what was
// checked) and waits for it to end, at most `waitMs`; a program still running then is
// left running.
ProgramRun RunToExit(std::u16string_view program, std::u16string_view commandLine,
                     platform::KernelObject* heldUntilStarted = nullptr, platform::Dword waitMs = platform::kInfinite);

}  // namespace engine
