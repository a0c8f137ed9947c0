// Starting a program through the shell. The process it gives is waited for and closed
// through platform::KernelObjects.
#pragma once

#include "platform/result.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kSeeMaskNoCloseProcess = 0x40;  // SEE_MASK_NOCLOSEPROCESS
constexpr Dword kSeeMaskFlagNoUi = 0x400;       // SEE_MASK_FLAG_NO_UI
constexpr int kShowHide = 0;                    // SW_HIDE
constexpr int kShowNormal = 1;                  // SW_SHOWNORMAL

// The fields of SHELLEXECUTEINFOW that a start needs; the forwarder adds the record's
// size and leaves the rest zero. process is filled in by a start with
// kSeeMaskNoCloseProcess, and the caller then owns the handle.
struct ShellExecuteInfo {
    Dword mask = 0;
    Handle window = nullptr;
    const char16_t* verb = nullptr;
    const char16_t* file = nullptr;
    const char16_t* parameters = nullptr;
    const char16_t* directory = nullptr;
    int show = 0;
    Handle process = nullptr;
};

struct Shell {
    // With its error code when it fails.
    virtual Result<Bool> ShellExecuteExW(ShellExecuteInfo* info) = 0;
    // As GetSystemDirectoryW: the length of the path, or the size needed (terminator
    // included) when it does not fit, or 0 on failure.
    virtual unsigned GetSystemDirectoryW(char16_t* buffer, unsigned size) = 0;

protected:
    ~Shell() = default;
};

}  // namespace platform
