#include "usb/device_rescan.h"

#include <cstdio>

#include "platform/config_manager.h"
#include "platform/services.h"
#include "platform/text.h"

namespace usb {
namespace {

// To standard output, which a windowed program does not show; a console run and the
// tests read it. Written without the printf family, which would add its formatter.
void Report(const char16_t* what, platform::ConfigRet result) {
    std::fputs(text::ToUtf8(what + text::Hex(static_cast<unsigned>(result)) + u'\n').c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::int32_t RescanDevices() {
    auto& manager = platform::Get<platform::ConfigManager>();
    platform::DevInst root = 0;
    platform::ConfigRet result = manager.CM_Locate_DevNodeW(&root, nullptr, platform::kCmLocateDevNodeNormal);
    if (result != platform::kCrSuccess) {
        Report(u"CM_Locate_DevNode failed: ", result);
        return 0;
    }
    result = manager.CM_Reenumerate_DevNode(root, platform::kCmReenumerateNormal);
    if (result != platform::kCrSuccess) {
        Report(u"CM_Reenumerate_DevNode failed: ", result);
        return 0;
    }
    return 1;
}

}  // namespace usb
