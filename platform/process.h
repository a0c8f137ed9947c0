// The running process and the programs it starts (kernel32).
#pragma once

#include <cstdint>

#include "platform/result.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kInfinite = 0xFFFFFFFF;  // INFINITE

// The handles CreateProcessW gives (PROCESS_INFORMATION); the caller owns both.
struct ProcessInformation {
    Handle process = nullptr;
    Handle thread = nullptr;
    Dword processId = 0;
    Dword threadId = 0;
};

// The calls that can fail give their error code with their result.
struct Processes {
    virtual Handle GetCurrentProcess() = 0;
    // As the Windows call, looked up at run time: a Windows without it has no WOW64, so
    // there it fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> IsWow64Process(Handle process, Bool* wow64) = 0;
    // As the Windows call (Windows 10 1709 and later), looked up at run time: the
    // process's WOW64 guest machine (0 when it is native) and the native machine, as
    // IMAGE_FILE_MACHINE_ values. Elsewhere, as here, it fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> IsWow64Process2(Handle process, std::uint16_t* processMachine,
                                         std::uint16_t* nativeMachine) {
        (void)process, (void)processMachine, (void)nativeMachine;
        return {0, kErrorProcNotFound};
    }
    // As the Windows call (Windows 11), looked up at run time: the MACHINE_ATTRIBUTES of
    // an IMAGE_FILE_MACHINE_ value (UserEnabled 0x1: programs of that machine run). Before
    // it, as here, it fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> GetMachineTypeAttributes(std::uint16_t machine, Dword* attributes) {
        (void)machine, (void)attributes;
        return {0, kErrorProcNotFound};
    }
    // The program's command line as Windows gave it (GetCommandLineW).
    virtual const char16_t* GetCommandLineW() = 0;
    // As the Windows call with no inherited handles, no creation flags, the caller's
    // environment and folder and a default start-up record. commandLine is changed by
    // the call, so it must be writable.
    virtual Result<Bool> CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                                        ProcessInformation* information) = 0;
    virtual Result<Bool> GetExitCodeProcess(Handle process, Dword* exitCode) = 0;

protected:
    ~Processes() = default;
};

}  // namespace platform
