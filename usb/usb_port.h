// The USB printer detection object: finds the first attached USB printer, reads its
// IEEE 1284 device ID, and finds the port name the USB port monitor gave it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel_objects.h"
#include "platform/registry.h"
#include "platform/types.h"
#include "usb/interface_value.h"
#include "usb/vid_pid.h"

class CUSBPort {
public:
    // At most this many interfaces of the enumeration are examined.
    static constexpr platform::Dword kMaxInterfaces = 127;
    // IOCTL_USBPRINT_GET_1284_ID
    static constexpr platform::Dword kGet1284Id = 0x220034;
    static constexpr platform::Dword kDeviceIdTimeoutMs = 500;
    // A registry key name has at most 255 characters and its zero.
    static constexpr platform::Dword kSubkeyNameCapacity = 256;
    // Interface subkey names are device paths, far shorter than this: a longer name is not
    // taken for one and its subkey is skipped.
    static constexpr std::size_t kMaxSubkeyNameLength = 243;
    // Values are read whole into a buffer that holds a device path's worth of characters.
    static constexpr platform::Dword kValueBufferSize =
        static_cast<platform::Dword>(usb::kDevicePathCapacity * sizeof(char16_t));
    // The text of a value, in characters; it also bounds the value's data, in bytes.
    static constexpr platform::Dword kValueCapacity = 256;

    CUSBPort() = default;
    CUSBPort(const CUSBPort&) = delete;
    CUSBPort& operator=(const CUSBPort&) = delete;

    // Opens the first present USB printing interface whose path carries "VID_" and
    // "PID_" and keeps it open in deviceHandle; vid and pid (usb::kIdCapacity each) get
    // the upper-case characters after them. 0: no device open, outputs unchanged.
    virtual std::int32_t OpenUsbPrinter(char16_t* vid, char16_t* pid);
    // As OpenUsbPrinter, from member index `from` on: the first printer there that can be
    // used; `at` gets its index and `path` (usb::kDevicePathCapacity) its device path.
    std::int32_t OpenUsbPrinterFrom(platform::Dword from, char16_t* vid, char16_t* pid, platform::Dword* at,
                                    char16_t* path);
    // "USB" and the port number of the printer whose interface has this device path: the
    // port monitor's data of the first linked interface of the same device instance, so
    // that two printers of one vendor and product each have their own port. 0 leaves
    // portName unchanged.
    std::int32_t FindPortOfInterface(const char16_t* devicePath, char16_t* portName, std::size_t capacity);
    // The present interfaces go on beyond the kMaxInterfaces examined.
    static bool MoreInterfacesThanExamined();

    // "USB" and the port number ("USB%03d") of the attached printer, from the port
    // monitor's data of the first linked interface with the printer's VID and PID. 0
    // leaves portName unchanged. No device is open on return.
    std::int32_t FindUsbPortName(char16_t* portName, std::size_t capacity);

    // Reads one value of the interface subkey at index into text (capacity characters,
    // at most capacity bytes of data). noMoreSubkeys becomes 1 when the scan of the
    // subkeys is over: no subkey at index, or no class key to read from.
    std::int32_t ReadInterfaceValue(int selector, platform::Dword index, char16_t* text,
                                    platform::Dword capacity, std::int32_t* noMoreSubkeys);

    // Opens the names of a zero-separated, doubly zero-terminated list one below the
    // other, starting below parent (which stays open). Only the innermost key is returned
    // open; an empty list or a failed open gives no key.
    static platform::RegistryKey OpenKeyPath(platform::Key parent, const char16_t* names);

    // The selector's value of key as text (see usb::RegistryValueToText).
    static std::int32_t QueryValueText(platform::Key key, int selector, char16_t* text,
                                       platform::Dword capacity);

    static std::int32_t ParseVidPid(const char16_t* text, char16_t* vid, char16_t* pid);

    // Sends the device-ID request to the open device. A request still pending after
    // 500 ms is cancelled, and its end awaited, before the call returns 0.
    std::int32_t GetDeviceId(std::uint8_t* buffer, platform::Dword size, platform::Dword* bytesReturned);

    // 1 when an open device was closed, 0 when none was open.
    std::int32_t CloseDevice();

    // The open printer. Every operation chain closes it itself; its owner also closes a
    // device still open when the object ends, so a forgotten close cannot hold the
    // printer open.
    platform::KernelObject deviceHandle;
};
