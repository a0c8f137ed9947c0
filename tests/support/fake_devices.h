// Attached USB printing interfaces and their devices, in memory, for the tests of the USB
// logic. Every call is logged in order as a short text; handles are small numbers, and
// the fake keeps track of which are still open.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/services.h"
#include "platform/text.h"
#include "tests/support/fake_kernel_objects.h"

class FakeDeviceInterfaces final : public platform::DeviceInterfaces {
public:
    using Dword = platform::Dword;

    std::vector<std::u16string> paths;  // the present interfaces, in enumeration order
    bool setFails = false;
    std::set<Dword> detailFails;  // member indexes whose detail cannot be read

    int setsOpen = 0;
    Dword lastFlags = 0;
    Dword enumerations = 0;
    bool wrongSizeSeen = false;

    FakeDeviceInterfaces() : scope_(*this) {}

    platform::Handle SetupDiGetClassDevsW(const platform::Guid* classGuid, const char16_t*, void*,
                                          Dword flags) override {
        lastFlags = flags;
        if (classGuid) lastGuid = *classGuid;
        if (setFails) return platform::kInvalidHandle;
        ++setsOpen;
        return &setToken_;
    }
    platform::Bool SetupDiEnumDeviceInterfaces(platform::Handle set, platform::DeviceInfoData*,
                                               const platform::Guid*, Dword index,
                                               platform::DeviceInterfaceData* data) override {
        ++enumerations;
        if (set != &setToken_ || data->size != sizeof(platform::DeviceInterfaceData)) wrongSizeSeen = true;
        if (index >= paths.size()) return 0;
        data->reserved = index;
        return 1;
    }
    platform::Bool SetupDiGetDeviceInterfaceDetailW(platform::Handle, platform::DeviceInterfaceData* data,
                                                    platform::DeviceInterfaceDetail* detail, Dword detailSize,
                                                    Dword* required, platform::DeviceInfoData*) override {
        const std::u16string& path = paths.at(data->reserved);
        Dword needed = static_cast<Dword>(offsetof(platform::DeviceInterfaceDetail, devicePath) +
                                          (path.size() + 1) * sizeof(char16_t));
        if (detail == nullptr || detailSize < needed) {
            if (required) *required = needed;
            return 0;
        }
        if (detail->size != platform::kDeviceInterfaceDetailSize) {
            wrongSizeSeen = true;
            return 0;
        }
        if (detailFails.count(static_cast<Dword>(data->reserved))) return 0;
        std::memcpy(detail->devicePath, path.c_str(), (path.size() + 1) * sizeof(char16_t));
        return 1;
    }
    // The devices of a set of all classes, each by its one hardware ID (SPDRP_HARDWAREID).
    std::vector<std::u16string> devices;
    platform::Bool SetupDiEnumDeviceInfo(platform::Handle set, Dword index, platform::DeviceInfoData* info) override {
        if (set != &setToken_ || index >= devices.size() || info->size != sizeof *info) return 0;
        info->devInst = index;
        return 1;
    }
    platform::Bool SetupDiGetDeviceRegistryPropertyW(platform::Handle, platform::DeviceInfoData* info, Dword property,
                                                     Dword*, unsigned char* buffer, Dword size, Dword*) override {
        const std::u16string& id = devices.at(info->devInst);
        if (property != platform::kSpdrpHardwareId || size < (id.size() + 2) * sizeof(char16_t)) return 0;
        std::memset(buffer, 0, (id.size() + 2) * sizeof(char16_t));  // the list's two final zeros
        std::memcpy(buffer, id.c_str(), id.size() * sizeof(char16_t));
        return 1;
    }
    platform::Bool SetupDiDestroyDeviceInfoList(platform::Handle set) override {
        if (set != &setToken_ || setsOpen == 0) return 0;
        --setsOpen;
        return 1;
    }

    platform::Guid lastGuid{};

private:
    char setToken_ = 0;
    platform::ScopedService<platform::DeviceInterfaces> scope_;
};

// Each call fails with the error code Windows gives for it.
class FakeDeviceIo final : public platform::DeviceIo, public KernelObjectsFake {
public:
    using Dword = platform::Dword;
    using Result = platform::Result<platform::Bool>;

    // How the device-ID request goes.
    enum class Reply { Immediate, PendingThenComplete, PendingForever, Fails };

    std::set<std::u16string> unopenable;  // paths held open by someone else
    Reply reply = Reply::Immediate;
    std::string replyBytes;
    bool eventFails = false;

    std::vector<std::string> calls;
    std::map<platform::Handle, std::u16string> openDevices;
    std::set<platform::Handle> openEvents;
    int badCloses = 0;
    Dword lastAccess = 0, lastShare = 0xFFFFFFFF, lastCreation = 0, lastFlags = 0;
    Dword lastCode = 0, lastOutSize = 0;
    bool hungOnUncancelledRequest = false;

    FakeDeviceIo() : scope_(*this) {}

    platform::Result<platform::Handle> CreateFileW(const char16_t* path, Dword access, Dword share, void*,
                                                   Dword creation, Dword flags, platform::Handle) override {
        lastAccess = access;
        lastShare = share;
        lastCreation = creation;
        lastFlags = flags;
        calls.push_back("CreateFile " + text::ToUtf8(path));
        if (unopenable.count(path)) return {platform::kInvalidHandle, 32};  // ERROR_SHARING_VIOLATION
        platform::Handle h = NewHandle();
        openDevices[h] = path;
        return {h};
    }
    Result DeviceIoControl(platform::Handle device, Dword code, void*, Dword, void* out, Dword outSize,
                           Dword* returned, platform::Overlapped* overlapped) override {
        calls.push_back("DeviceIoControl");
        lastCode = code;
        lastOutSize = outSize;
        if (!openDevices.count(device) || overlapped == nullptr || !openEvents.count(overlapped->event)) {
            return {0, 6};  // ERROR_INVALID_HANDLE
        }
        pendingOut_ = static_cast<unsigned char*>(out);
        pendingSize_ = outSize;
        pending_ = overlapped;
        switch (reply) {
            case Reply::Immediate:
                *returned = Deliver();
                return {1};
            case Reply::Fails:
                return {0, 31};  // ERROR_GEN_FAILURE
            default:
                return {0, platform::kErrorIoPending};
        }
    }
    Result GetOverlappedResult(platform::Handle, platform::Overlapped* overlapped, Dword* transferred,
                               platform::Bool wait) override {
        calls.push_back(wait ? "GetOverlappedResult wait" : "GetOverlappedResult");
        if (overlapped != pending_) return {0, 87};  // ERROR_INVALID_PARAMETER
        if (reply == Reply::PendingThenComplete) {
            *transferred = Deliver();
            return {1};
        }
        if (!cancelled_) hungOnUncancelledRequest = true;
        return {0, 995};  // ERROR_OPERATION_ABORTED
    }
    Result CancelIoEx(platform::Handle, platform::Overlapped* overlapped) override {
        calls.push_back("CancelIoEx");
        cancelled_ = overlapped == pending_;
        if (!cancelled_) return {0, 1168};  // ERROR_NOT_FOUND
        return {1};
    }
    platform::Result<platform::Handle> CreateEventW(void*, platform::Bool manualReset,
                                                    platform::Bool initialState,
                                                    const char16_t* name) override {
        calls.push_back(std::string("CreateEvent") + (manualReset ? " manual" : " auto") +
                        (initialState ? " set" : "") + (name ? " named" : ""));
        if (eventFails) return {nullptr, 1450};  // ERROR_NO_SYSTEM_RESOURCES
        platform::Handle h = NewHandle();
        openEvents.insert(h);
        return {h};
    }

private:
    bool GaveOut(platform::Handle h) const override {
        auto value = reinterpret_cast<std::intptr_t>(h);
        return value > kFirstHandle && value <= nextHandle_;
    }
    Dword Wait(platform::Handle, Dword milliseconds) override {
        calls.push_back("Wait " + std::to_string(milliseconds));
        return reply == Reply::PendingThenComplete ? platform::kWaitObject0 : platform::kWaitTimeout;
    }
    platform::Bool Close(platform::Handle h) override {
        if (openDevices.erase(h)) {
            calls.push_back("CloseHandle device");
            return 1;
        }
        if (openEvents.erase(h)) {
            calls.push_back("CloseHandle event");
            return 1;
        }
        ++badCloses;
        return 0;
    }
    platform::Handle NewHandle() {
        return reinterpret_cast<platform::Handle>(static_cast<std::intptr_t>(nextHandle_ += 4));
    }
    Dword Deliver() {
        Dword n = static_cast<Dword>(std::min<std::size_t>(replyBytes.size(), pendingSize_));
        std::memcpy(pendingOut_, replyBytes.data(), n);
        return n;
    }

    static constexpr std::intptr_t kFirstHandle = 0x100;
    std::intptr_t nextHandle_ = kFirstHandle;
    unsigned char* pendingOut_ = nullptr;
    Dword pendingSize_ = 0;
    platform::Overlapped* pending_ = nullptr;
    bool cancelled_ = false;
    platform::ScopedService<platform::DeviceIo> scope_;
};
