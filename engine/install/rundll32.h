// Starting rundll32 with the parameters of a printer user-interface command.
#pragma once

#include "engine/messages/messages.h"
#include "platform/result.h"
#include "platform/types.h"

namespace engine {

// Starts rundll32 from the system directory, in that folder, and waits for it (at most
// two minutes). hidden starts it without showing a window of its own, and keeps the shell from showing
// a box for a start that fails. Shows nothing itself. Not started: the error says why.
platform::Outcome StartRundll32(const char16_t* parameters, bool hidden = false);

// The message the program shows or logs for a start that failed with this error.
MessageId StartFailureMessage(platform::Dword error);

}  // namespace engine
