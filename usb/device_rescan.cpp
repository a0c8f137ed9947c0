#include "usb/device_rescan.h"

#include <cstdio>

#include "platform/config_manager.h"
#include "platform/services.h"

namespace usb {

std::int32_t RescanDevices() {
    auto& manager = platform::Get<platform::ConfigManager>();
    platform::DevInst root = 0;
    platform::ConfigRet result = manager.CM_Locate_DevNodeW(&root, nullptr, platform::kCmLocateDevNodeNormal);
    if (result != platform::kCrSuccess) {
        std::printf("CM_Locate_DevNode failed: %x\n", static_cast<unsigned>(result));
        std::fflush(stdout);
        return 0;
    }
    result = manager.CM_Reenumerate_DevNode(root, platform::kCmReenumerateNormal);
    if (result != platform::kCrSuccess) {
        std::printf("CM_Reenumerate_DevNode failed: %x\n", static_cast<unsigned>(result));
        std::fflush(stdout);
        return 0;
    }
    return 1;
}

}  // namespace usb
