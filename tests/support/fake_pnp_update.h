// The plug-and-play update and the staging of driver packages in memory, failing as their
// documentation says: the update with ERROR_NO_SUCH_DEVINST when no present device has the
// hardware ID, the staging with the error it is given. Every call is recorded.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/pnp_update.h"
#include "platform/services.h"

struct RecordingPnpUpdate final : platform::PnpUpdate {
    using Dword = platform::Dword;
    static constexpr Dword kErrorNoSuchDevinst = 0xE000020B;
    struct Update {
        platform::Handle window;
        std::u16string hardwareId, infPath;
        Dword flags;
        bool rebootFlagGiven;
    };
    bool succeeds = true;
    bool rebootRequired = false;
    // What Windows does for the device once the update is done (makes its queue).
    std::function<void()> onUpdate;
    std::vector<Update> updates;
    platform::Result<platform::Bool> UpdateDriverForPlugAndPlayDevicesW(platform::Handle window,
                                                                        const char16_t* hardwareId,
                                                                        const char16_t* infPath, Dword flags,
                                                                        platform::Bool* reboot) override {
        updates.push_back({window, hardwareId, infPath, flags, reboot != nullptr});
        if (!succeeds) return {0, kErrorNoSuchDevinst};
        if (reboot) *reboot = rebootRequired ? 1 : 0;
        if (onUpdate) onUpdate();
        return {1};
    }
    // DiUninstallDriverW: the INFs taken off the devices (with their flags); 0, the error, or
    // ERROR_PROC_NOT_FOUND for a Windows before 10 1703; rebootNeeded as Windows says.
    std::vector<std::u16string> uninstalled;
    Dword uninstallError = 0;
    bool rebootNeeded = false;
    platform::Result<platform::Bool> DiUninstallDriverW(platform::Handle, const char16_t* inf, Dword flags,
                                                        platform::Bool* reboot) override {
        uninstalled.push_back(std::u16string(inf) + u" flags=" + static_cast<char16_t>(u'0' + flags));
        if (uninstallError != 0) return {0, uninstallError};
        if (reboot) *reboot = rebootNeeded;
        return {1};
    }

    // DiUninstallDevice: the device records removed.
    std::vector<Dword> devicesRemoved;
    platform::Result<platform::Bool> DiUninstallDevice(platform::Handle, platform::Handle,
                                                       platform::DeviceInfoData* device, Dword, platform::Bool*) override {
        devicesRemoved.push_back(device->devInst);
        return {1};
    }

    // Staging, as SetupCopyOEMInfW: the INF given with SPOST_PATH and no copy style.
    Dword stagingError = 0;  // when not 0, the staging fails with it
    std::vector<std::u16string> staged;
    platform::Result<platform::Bool> SetupCopyOEMInfW(const char16_t* sourceInf,
                                                      const char16_t* mediaLocation, Dword mediaType,
                                                      Dword copyStyle, char16_t* copy, Dword copySize, Dword*) override {
        EXPECT_EQ(mediaLocation, nullptr);
        EXPECT_EQ(mediaType, 1u);
        EXPECT_EQ(copyStyle, 0u);
        staged.push_back(sourceInf);
        if (stagingError != 0) return {0, stagingError};
        if (copy && copySize > 0) text::Copy(copy, copySize, u"C:\\Windows\\INF\\oem7.inf");  // its copy there
        return {1};
    }
    // The settings given to SetupSetNonInteractiveMode, in order.
    std::vector<platform::Bool> nonInteractiveModes;
    platform::Bool SetupSetNonInteractiveMode(platform::Bool nonInteractive) override {
        platform::Bool previous = nonInteractiveModes.empty() ? 0 : nonInteractiveModes.back();
        nonInteractiveModes.push_back(nonInteractive);
        return previous;
    }
    platform::ScopedService<platform::PnpUpdate> scope{*this};
};
