// The IEEE 1284 device-ID request to the open printer, and closing it.
#include "platform/device.h"
#include "platform/kernel_objects.h"
#include "platform/services.h"
#include "usb/usb_port.h"

std::int32_t CUSBPort::GetDeviceId(std::uint8_t* buffer, platform::Dword size,
                                   platform::Dword* bytesReturned) {
    if (!deviceHandle) return 0;
    const platform::Handle device = deviceHandle.get();
    auto& io = platform::Get<platform::DeviceIo>();

    platform::Result<platform::Handle> created = io.CreateEventW(nullptr, 0, 0, nullptr);
    if (!created.ok()) return 0;
    platform::KernelObject event(created.value);
    platform::Overlapped overlapped{};
    overlapped.event = event.get();

    platform::Result<platform::Bool> request =
        io.DeviceIoControl(device, kGet1284Id, nullptr, 0, buffer, size, bytesReturned, &overlapped);
    if (request.ok()) return 1;
    if (request.error != platform::kErrorIoPending) return 0;

    if (platform::Get<platform::KernelObjects>().WaitForSingleObject(event.get(), kDeviceIdTimeoutMs) ==
        platform::kWaitObject0) {
        return io.GetOverlappedResult(device, &overlapped, bytesReturned, 1).ok() ? 1 : 0;
    }
    // The request still refers to the record, the event and the caller's buffer: cancel
    // it and wait for its end before any of them goes away.
    io.CancelIoEx(device, &overlapped);
    platform::Dword ignored = 0;
    io.GetOverlappedResult(device, &overlapped, &ignored, 1);
    return 0;
}

std::int32_t CUSBPort::CloseDevice() {
    if (!deviceHandle) return 0;
    deviceHandle.reset();
    return 1;
}
