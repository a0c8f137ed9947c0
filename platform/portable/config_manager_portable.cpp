// The configuration manager outside Windows: there is a device tree root and re-scanning
// it succeeds at once, since no device can appear that would need a driver.
#include "platform/config_manager.h"
#include "platform/services.h"

namespace platform {
namespace {

constexpr DevInst kRoot = 1;

struct PortableConfigManager final : ConfigManager {
    ConfigRet CM_Locate_DevNodeW(DevInst* devInst, const char16_t* deviceId, Dword) override {
        if (deviceId != nullptr && deviceId[0] != 0) return 0x0D;  // CR_NO_SUCH_DEVNODE
        *devInst = kRoot;
        return kCrSuccess;
    }
    ConfigRet CM_Reenumerate_DevNode(DevInst devInst, Dword) override {
        return devInst == kRoot ? kCrSuccess : 0x05;  // CR_INVALID_DEVNODE
    }
};

}  // namespace

template <>
ConfigManager& Default<ConfigManager>() {
    static PortableConfigManager instance;
    return instance;
}

}  // namespace platform
