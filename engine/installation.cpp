#include "engine/installation.h"

#include <cstring>

#include "engine/device_matching.h"
#include "engine/spooler.h"
#include "platform/codepage.h"
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

HardwareIdLookup HardwareIdForModel(const char16_t* infPath, const char16_t* model) {
    const std::u16string quoted = u"\"" + std::u16string(model) + u"\"";
    InfHardwareId found = HardwareIdInInf(infPath, quoted.c_str(), quoted.size());
    if (found.lookup != InfLookup::Found) return {std::nullopt, InfLookupText(found.lookup)};
    // An empty hardware ID names no device.
    if (found.id.empty()) return {std::nullopt, u"the model line's hardware ID is empty"};
    if (found.unicodeFile) return {found.id, {}};
    // The bytes of an INF of 8-bit text are in the ANSI code page of this thread.
    const std::string bytes(found.id.begin(), found.id.end());
    char16_t wideId[kHardwareIdCapacity + 1] = {};
    int converted = platform::Get<platform::CodePage>().MultiByteToWideChar(
        platform::kThreadAnsiCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), wideId, kHardwareIdCapacity);
    if (converted <= 0) return {std::nullopt, u"the hardware ID is not text of this system's code page"};
    return {std::u16string(wideId, static_cast<std::size_t>(converted)), {}};
}

PnpUpdateResult UpdateDriverForDevices(const char16_t* infPath, const std::u16string& hardwareId, bool interactive) {
    platform::Dword flags = platform::kInstallFlagForce | (interactive ? 0 : platform::kInstallFlagNonInteractive);
    platform::Bool rebootRequired = 0;
    platform::Result<platform::Bool> update =
        platform::Get<platform::PnpUpdate>().UpdateDriverForPlugAndPlayDevicesW(
            nullptr, hardwareId.c_str(), infPath, flags, &rebootRequired);
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
