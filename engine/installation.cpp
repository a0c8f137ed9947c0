#include "engine/installation.h"

#include <cstring>

#include "engine/device_matching.h"
#include "engine/spooler.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/pnp_update.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/timing.h"

namespace engine {
namespace {

// The entry point may still be registering the printer when rundll32 is done.
constexpr platform::Dword kPrinterAppearsMilliseconds = 500;

}  // namespace

InstallRoute ChooseInstallRoute(const Catalogue& catalogue) {
    std::optional<std::u16string> attached = AttachedPrinterModel();
    // The catalogue is searched also without a printer, for an empty model.
    bool listed = catalogue.SeriesOf(attached ? attached->c_str() : u"").has_value();
    return attached && listed ? InstallRoute::PlugAndPlay : InstallRoute::PrinterInterface;
}

std::optional<std::u16string> HardwareIdForModel(const char16_t* infPath, const char16_t* model) {
    const std::u16string quoted = u"\"" + std::u16string(model) + u"\"";
    std::optional<std::string> hardwareId = HardwareIdInInf(infPath, quoted.c_str(), quoted.size());
    // An empty hardware ID names no device.
    if (!hardwareId || hardwareId->empty()) return std::nullopt;
    char16_t wideId[kHardwareIdCapacity + 1] = {};
    int converted = platform::Get<platform::CodePage>().MultiByteToWideChar(
        platform::kThreadAnsiCodePage, 0, hardwareId->data(), static_cast<int>(hardwareId->size()), wideId,
        kHardwareIdCapacity);
    if (converted <= 0) return std::nullopt;
    return std::u16string(wideId, static_cast<std::size_t>(converted));
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

bool PrinterAppeared(const char16_t* name) {
    platform::Get<platform::Timing>().Sleep(kPrinterAppearsMilliseconds);
    return PrinterExists(name);
}

platform::Outcome StageDriverPackage(const char16_t* infPath) {
    return platform::OutcomeOf(platform::Get<platform::PnpUpdate>().SetupCopyOEMInfW(
        infPath, nullptr, platform::kSpostPath, 0, nullptr, 0, nullptr));
}

}  // namespace engine
