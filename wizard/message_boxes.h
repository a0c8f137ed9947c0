// The wizard's message boxes: the texts of the engine's messages, shown through the
// seam's message-box service.
#pragma once

#include <windows.h>

#include <string>

#include "engine/install/installation_flow.h"
#include "engine/messages/messages.h"

// Shows the text in a box with the caption of this message and this type (MB_...);
// returns the button pressed.
int ShowBox(HWND owner, const std::u16string& text, engine::MessageId caption, UINT type);

// The box of a start of rundll32 that failed, with the message of its error: unowned, so
// that while the wizard runs its frame owns it, from whatever thread it is shown.
void ShowStartFailure(engine::MessageId why);

// Shows the installer's failed starts of rundll32 (theInstaller.SetStartFailureObserver).
class StartFailureBoxes final : public engine::FlowObserver {
public:
    void OnStep(engine::FlowStep) override {}
    void OnStartFailure(engine::MessageId why) override { ShowStartFailure(why); }
};
