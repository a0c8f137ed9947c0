// Starting rundll32 with the parameters of a printer user-interface command.
#pragma once

#include "platform/result.h"
#include "platform/types.h"

namespace engine {

// Starts rundll32 from the system directory, in that folder, and waits for it (at most
// two minutes). hidden starts it without showing a window of its own, and keeps the shell from showing
// a box for a start that fails. Shows nothing itself. Not started: the error says why.
platform::Outcome StartRundll32(const char16_t* parameters, bool hidden = false);

// The text the program shows or logs for a start that failed with this error.
const char16_t* StartFailureText(platform::Dword error);

// The box of a start that failed, with its StartFailureText; unowned, so that while the
// wizard runs its frame owns it.
void ShowStartFailure(const char16_t* text);
// StartRundll32, and a message box with the StartFailureText when it cannot be started.
bool RunRundll32(const char16_t* parameters);

}  // namespace engine
