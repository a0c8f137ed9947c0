// The wizard's message boxes: the texts of the engine's messages, shown through the
// seam's message-box service.
#pragma once

#include <windows.h>

#include <string>

#include "engine/messages/messages.h"

// Shows the text in a box with the caption of this message and this type (MB_...);
// returns the button pressed.
int ShowBox(HWND owner, const std::u16string& text, engine::MessageId caption, UINT type);
