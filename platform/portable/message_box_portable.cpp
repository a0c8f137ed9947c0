// Message boxes outside Windows: there is no desktop, so the message goes to standard
// error and counts as confirmed with OK at once.
#include <cstdio>

#include "platform/message_box.h"
#include "platform/services.h"
#include "platform/text.h"

namespace platform {
namespace {

struct StderrMessageBoxes final : MessageBoxes {
    int MessageBoxW(Handle, const char16_t* text, const char16_t* caption, Dword) override {
        std::string line = text::ToUtf8(caption ? caption : u"") + ": " + text::ToUtf8(text ? text : u"");
        std::fprintf(stderr, "%s\n", line.c_str());
        return kIdOk;
    }
};

}  // namespace

template <>
MessageBoxes& Default<MessageBoxes>() {
    static StderrMessageBoxes instance;
    return instance;
}

}  // namespace platform
