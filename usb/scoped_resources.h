// Owners of the platform objects the USB logic acquires: each is released through the
// service that gave it out, on every way out of the operation.
#pragma once

#include <utility>

#include "platform/device.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/types.h"

namespace usb {

inline bool IsOpen(platform::Handle h) {
    return h != nullptr && h != platform::kInvalidHandle;
}

class RegistryKey {
public:
    RegistryKey() = default;
    explicit RegistryKey(platform::Key key) : key_(key) {}
    ~RegistryKey() { Close(); }
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            Close();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool IsOpen() const { return usb::IsOpen(key_); }
    platform::Key Get() const { return key_; }

private:
    void Close() {
        if (IsOpen()) platform::Get<platform::Registry>().RegCloseKey(key_);
        key_ = nullptr;
    }
    platform::Key key_ = nullptr;
};

class DeviceInfoSet {
public:
    explicit DeviceInfoSet(platform::Handle set) : set_(set) {}
    ~DeviceInfoSet() {
        if (IsOpen()) platform::Get<platform::DeviceInterfaces>().SetupDiDestroyDeviceInfoList(set_);
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

    bool IsOpen() const { return usb::IsOpen(set_); }
    platform::Handle Get() const { return set_; }

private:
    platform::Handle set_;
};

// An event or another kernel object closed with CloseHandle.
class KernelObject {
public:
    explicit KernelObject(platform::Handle object) : object_(object) {}
    ~KernelObject() {
        if (IsOpen()) platform::Get<platform::DeviceIo>().CloseHandle(object_);
    }
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    bool IsOpen() const { return usb::IsOpen(object_); }
    platform::Handle Get() const { return object_; }

private:
    platform::Handle object_;
};

}  // namespace usb
