#include "engine/install/installation.h"

#include <cstring>

#include "engine/install/device_matching.h"
#include "engine/install/poll.h"
#include "engine/log/setup_log.h"
#include "engine/install/spooler.h"
#include "platform/device.h"
#include "platform/message_box.h"
#include "platform/pnp_update.h"
#include "platform/services.h"
#include "platform/text.h"

namespace engine {

using text::Quoted;
namespace {

constexpr platform::Dword kPrinterPollPeriodMs = 50;
constexpr platform::Dword kPrinterPollLimitMs = 5000;
constexpr platform::Dword kQueuePollPeriodMs = 250;
constexpr platform::Dword kQueuePollLimitMs = 30000;

}  // namespace

HardwareIdLookup HardwareIdForModel(const char16_t* infPath, const char16_t* model, const TargetSystem& system) {
    const std::u16string quoted = u"\"" + std::u16string(model) + u"\"";
    InfHardwareId found = HardwareIdInInf(infPath, quoted.c_str(), quoted.size(), system);
    if (found.lookup != InfLookup::Found) return {std::nullopt, InfLookupText(found.lookup)};
    // An empty hardware ID names no device.
    if (found.id.empty()) return {std::nullopt, u"the model line's hardware ID is empty"};
    return {std::move(found.id), {}};
}

PnpUpdateResult UpdateDriverForDevices(const char16_t* infPath, const std::u16string& hardwareId, bool interactive) {
    platform::Dword flags = platform::kInstallFlagForce | (interactive ? 0 : platform::kInstallFlagNonInteractive);
    platform::Bool rebootRequired = 0;
    platform::Result<platform::Bool> update =
        platform::Get<platform::PnpUpdate>().UpdateDriverForPlugAndPlayDevicesW(
            interactive ? platform::OwnerForUnowned() : nullptr, hardwareId.c_str(), infPath, flags,
            &rebootRequired);
    if (!update.ok()) return PnpUpdateResult{DriverUpdate::NotUpdated, update.error};
    return PnpUpdateResult{rebootRequired ? DriverUpdate::UpdatedRestartRequired : DriverUpdate::Updated};
}

DeviceRemoval UninstallDevicesOf(const std::u16string& hardwareId) {
    // Far beyond the devices of any machine: the walk ends there whatever the set says.
    constexpr platform::Dword kMaxDevices = 65536;
    DeviceRemoval result;
    auto& devices = platform::Get<platform::DeviceInterfaces>();
    platform::DeviceInfoSet set(devices.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, platform::kDigcfAllClasses));
    if (!set) return result;
    for (platform::Dword i = 0; i < kMaxDevices; ++i) {
        platform::DeviceInfoData device{};
        device.size = sizeof device;
        if (!devices.SetupDiEnumDeviceInfo(set.get(), i, &device)) break;
        // A list of strings, each ending with a zero, and a zero after the last; two zeros
        // more than the property is given room for end it whatever it holds.
        char16_t ids[kHardwareIdCapacity + 2] = {};
        platform::Dword type = 0;
        if (!devices.SetupDiGetDeviceRegistryPropertyW(set.get(), &device, platform::kSpdrpHardwareId, &type,
                                                       reinterpret_cast<unsigned char*>(ids),
                                                       kHardwareIdCapacity * sizeof(char16_t), nullptr)) {
            continue;
        }
        bool ofModel = false;
        for (const char16_t* id = ids; *id != 0; id += text::Length(id) + 1) {
            ofModel = ofModel || text::EqualNoCase(id, hardwareId.c_str());
        }
        if (!ofModel) continue;
        platform::Bool reboot = 0;
        platform::Result<platform::Bool> removed =
            platform::Get<platform::PnpUpdate>().DiUninstallDevice(nullptr, set.get(), &device, 0, &reboot);
        if (removed.ok()) {
            ++result.removed;
            result.restartRequired = result.restartRequired || reboot != 0;
        } else if (removed.error == platform::kErrorProcNotFound) {
            result.callMissing = true;
            break;
        } else {
            result.error = removed.error;
        }
    }
    return result;
}

bool PrinterAppeared(const char16_t* name) {
    return PollEvery(kPrinterPollPeriodMs, kPrinterPollLimitMs, [&] { return PrinterExists(name); })
        .has_value();
}

StringList QueuesOnPortWithDriver(const char16_t* port, const char16_t* driver) {
    StringList found;
    PollEvery(kQueuePollPeriodMs, kQueuePollLimitMs, [&] {
        // A listing that fails now and then is asked again at the next period.
        Listing<std::vector<LocalPrinter>> now = ListLocalPrinters();
        if (now.ok()) found = PrintersOnPortWithDriver(*now.value, port, driver);
        return !found.empty();
    });
    return found;
}

platform::Outcome StageDriverPackage(const char16_t* infPath, std::u16string& stagedInf) {
    char16_t staged[kPathCapacity] = {};
    platform::Outcome outcome = platform::OutcomeOf(platform::Get<platform::PnpUpdate>().SetupCopyOEMInfW(
        infPath, nullptr, platform::kSpostPath, 0, staged, kPathCapacity, nullptr));
    staged[kPathCapacity - 1] = 0;
    stagedInf = outcome.ok() ? staged : u"";
    return outcome;
}

}  // namespace engine
