// Starting rundll32 with the parameters of a printer user-interface command.
#pragma once

namespace engine {

// Starts rundll32 from the system directory and waits for it (at most two minutes).
// True when it was started; when it cannot be started, shows the message of the
// error and returns false.
bool RunRundll32(const char16_t* parameters);

}  // namespace engine
