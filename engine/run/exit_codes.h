// The program's exit codes: Windows Installer's, which deployment systems and scripts
// already read without a mapping.
#pragma once

#include <cstdint>

namespace engine {

// Everything asked for was done.
constexpr std::uint32_t kExitSuccess = 0;
// Done, but Windows must restart before the printer can be used (ERROR_SUCCESS_REBOOT_REQUIRED).
constexpr std::uint32_t kExitRestartRequired = 3010;
// The user cancelled the wizard (ERROR_INSTALL_USEREXIT).
constexpr std::uint32_t kExitCancelled = 1602;
// The installation or removal failed; the log says at which step (ERROR_INSTALL_FAILURE).
constexpr std::uint32_t kExitFailed = 1603;
// Another setup is running on this machine, in any session (ERROR_INSTALL_ALREADY_RUNNING).
constexpr std::uint32_t kExitAlreadyRunning = 1618;
// The command line was refused before anything was changed (ERROR_INVALID_COMMAND_LINE).
constexpr std::uint32_t kExitInvalidCommandLine = 1639;

}  // namespace engine
