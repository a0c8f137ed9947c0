// The IEEE 1284 device-ID request to the open printer, and closing it.
#include "platform/device.h"
#include "platform/kernel_objects.h"
#include "platform/services.h"
#include "usb/usb_port.h"

std::int32_t CUSBPort::GetDeviceId(std::uint8_t* buffer, platform::Dword size,
                                   platform::Dword* bytesReturned) {
    if (!platform::IsOpenHandle(deviceHandle)) return 0;
    auto& io = platform::Get<platform::DeviceIo>();

    platform::KernelObject event(io.CreateEventW(nullptr, 0, 0, nullptr));
    if (!event) return 0;
    platform::Overlapped overlapped{};
    overlapped.event = event.get();

    if (io.DeviceIoControl(deviceHandle, kGet1284Id, nullptr, 0, buffer, size, bytesReturned, &overlapped))
        return 1;
    if (io.GetLastError() != platform::kErrorIoPending) return 0;

    if (platform::Get<platform::KernelObjects>().WaitForSingleObject(event.get(), kDeviceIdTimeoutMs) ==
        platform::kWaitObject0) {
        return io.GetOverlappedResult(deviceHandle, &overlapped, bytesReturned, 1) ? 1 : 0;
    }
    // The request still refers to the record, the event and the caller's buffer: cancel
    // it and wait for its end before any of them goes away.
    io.CancelIoEx(deviceHandle, &overlapped);
    platform::Dword ignored = 0;
    io.GetOverlappedResult(deviceHandle, &overlapped, &ignored, 1);
    return 0;
}

std::int32_t CUSBPort::CloseDevice() {
    if (!platform::IsOpenHandle(deviceHandle)) return 0;
    platform::Get<platform::KernelObjects>().CloseHandle(deviceHandle);
    deviceHandle = platform::kInvalidHandle;
    return 1;
}
