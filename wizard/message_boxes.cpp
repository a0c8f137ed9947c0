#include "wizard/message_boxes.h"

#include "platform/message_box.h"
#include "platform/services.h"

int ShowBox(HWND owner, const std::u16string& text, engine::MessageId caption, UINT type) {
    return platform::Get<platform::MessageBoxes>().MessageBoxW(owner, text.c_str(),
                                                               engine::ShownText(caption).c_str(), type);
}

void ShowStartFailure(engine::MessageId why) {
    ShowBox(nullptr, engine::ShownText(why), engine::MessageId::ErrorCaption, MB_ICONERROR);
}
