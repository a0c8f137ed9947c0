// Plugs the test USB printer (driver.c) into the Wine prefix it runs in, and unplugs it.
//   usb_printer plug [--device-id TEXT] [--instance ID] [--hardware-id ID] [--port N]
//                    [--answer now|never|error|MILLISECONDS] [--slot N]
//     --device-id    the IEEE 1284 device ID text the printer answers with (the length
//                    bytes are put in front of it)
//     --instance     the printer's device instance ID (USB\VID_1A2B&PID_3C4D\KV0001)
//     --hardware-id  the hardware ID of the device below the printer that the printer
//                    driver is installed on; none without it
//     --port         the number of its USB port as the port monitor would give it (1: USB001)
//     --answer       when the printer answers the device-ID request: at once (now), after
//                    that many milliseconds, never, or with an error
//     --slot         0 (the default) unplugs every printer first; 1 to 3 plug one more
//                    printer beside those plugged in, in that slot
//   usb_printer unplug   (every printer)
// The driver (tamrin_usb_printer.sys) and its INF (usb_printer.inf) lie beside the helper.
// plug returns once the printer's interface is present, with its port values written (the
// system's USB printing driver writes them; Wine's kernel has no call for it), and the
// stand-in printer class installer beside it (tamrin_printer_class.dll) registered for
// the printer class, so that a plug-and-play driver update makes the printer's queue as
// Windows does; unplug returns once the printer is gone. Exit code 0, or 1 with the reason
// on standard error.
#include <windows.h>
// after windows.h, which they need
#include <cfgmgr32.h>
#include <newdev.h>
#include <setupapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>

namespace {

const GUID kSystemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID kUsbPrintInterface = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};
// The root device of each printer: ROOT\TAMRIN_USB_PRINTER\000N for slot N.
constexpr DWORD kSlots = 4;
std::wstring RootDevice(DWORD slot) { return L"ROOT\\TAMRIN_USB_PRINTER\\000" + std::to_wstring(slot); }
// The INF's hardware ID, as a list of one.
const wchar_t kRootHardwareIds[] = L"ROOT\\TAMRIN_USB_PRINTER\0";
const wchar_t kPrinterClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e979-e325-11ce-bfc1-08002be10318}";
const wchar_t kInterfaceClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\";
constexpr DWORD kNoReply = 0xFFFFFFFF;

struct DeviceSetCloser {
    void operator()(HDEVINFO set) const { SetupDiDestroyDeviceInfoList(set); }
};
using DeviceSet = std::unique_ptr<std::remove_pointer_t<HDEVINFO>, DeviceSetCloser>;
struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

bool Fail(const char* what) {
    std::fprintf(stderr, "usb_printer: %s (error %lu)\n", what, GetLastError());
    return false;
}

// The device path of the present USB printing interface of the device instance; empty
// when there is none.
std::wstring PresentInterface(const std::wstring& instance) {
    DeviceSet set(
        SetupDiGetClassDevsW(&kUsbPrintInterface, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    SP_DEVICE_INTERFACE_DATA data{sizeof data, {}, 0, 0};
    for (DWORD i = 0; set.get() != INVALID_HANDLE_VALUE &&
                      SetupDiEnumDeviceInterfaces(set.get(), nullptr, &kUsbPrintInterface, i, &data);
         ++i) {
        union {
            SP_DEVICE_INTERFACE_DETAIL_DATA_W detail;
            wchar_t room[MAX_PATH + 8];
        } path{};
        path.detail.cbSize = sizeof path.detail;
        SP_DEVINFO_DATA device{sizeof device, {}, 0, 0};
        wchar_t id[MAX_DEVICE_ID_LEN];
        if (SetupDiGetDeviceInterfaceDetailW(set.get(), &data, &path.detail, sizeof path, nullptr, &device) &&
            SetupDiGetDeviceInstanceIdW(set.get(), &device, id, MAX_DEVICE_ID_LEN, nullptr) &&
            lstrcmpiW(id, instance.c_str()) == 0) {
            return path.detail.DevicePath;
        }
    }
    return {};
}

bool AwaitInterface(const std::wstring& instance, bool present) {
    for (int i = 0; i < 200; ++i) {
        if (PresentInterface(instance).empty() != present) return true;
        Sleep(50);
    }
    return false;
}

bool SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, std::size_t size) {
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)) ==
           ERROR_SUCCESS;
}

bool SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return SetValue(key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool UnplugSlot(DWORD slot) {
    DeviceSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA device{sizeof device, {}, 0, 0};
    if (!SetupDiOpenDeviceInfoW(set.get(), RootDevice(slot).c_str(), nullptr, 0, &device)) return true;
    wchar_t instance[MAX_DEVICE_ID_LEN] = {};
    DWORD size = sizeof instance - sizeof(wchar_t);
    Key key(SetupDiOpenDevRegKey(set.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
    if (key.get() != INVALID_HANDLE_VALUE)
        RegQueryValueExW(key.get(), L"UsbInstance", nullptr, nullptr, reinterpret_cast<BYTE*>(instance),
                         &size);
    if (!SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &device))
        return Fail("the root device was not removed");
    return AwaitInterface(instance, false) || Fail("the printer is still there");
}

bool Unplug() {
    for (DWORD slot = 0; slot < kSlots; ++slot) {
        if (!UnplugSlot(slot)) return false;
    }
    return true;
}

struct Printer {
    std::wstring deviceId, instance = L"USB\\VID_1A2B&PID_3C4D\\KV0001", hardwareId;
    DWORD port = 1, delay = 0, slot = 0;
    bool replies = true;
};

// The root device, registered with the printer's make-up in its hardware key.
bool RegisterRootDevice(const Printer& printer) {
    DeviceSet set(SetupDiCreateDeviceInfoList(&kSystemClass, nullptr));
    SP_DEVINFO_DATA device{sizeof device, {}, 0, 0};
    if (!SetupDiCreateDeviceInfoW(set.get(), RootDevice(printer.slot).c_str(), &kSystemClass, nullptr, nullptr, 0,
                                  &device) ||
        !SetupDiSetDeviceRegistryPropertyW(set.get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(kRootHardwareIds),
                                           sizeof kRootHardwareIds) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &device)) {
        return Fail("the root device was not registered");
    }
    // The reply as the printer class sends it: its length, most significant byte first.
    std::string reply(2, '\0');
    for (wchar_t c : printer.deviceId) reply += static_cast<char>(c);
    reply[0] = static_cast<char>(reply.size() >> 8);
    reply[1] = static_cast<char>(reply.size() & 0xFF);
    Key key(SetupDiCreateDevRegKeyW(set.get(), &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr));
    bool written =
        key.get() != INVALID_HANDLE_VALUE && SetText(key.get(), L"UsbInstance", printer.instance) &&
        SetText(key.get(), L"ModelId", printer.hardwareId) &&
        SetValue(key.get(), L"ReplyDelay", REG_DWORD, &printer.delay, sizeof printer.delay) &&
        (!printer.replies || SetValue(key.get(), L"DeviceId", REG_BINARY, reply.data(), reply.size()));
    return written || Fail("the printer's make-up was not written");
}

// The values the port monitor reads below the interface: port number and base name.
bool WritePortValues(const std::wstring& devicePath, DWORD port) {
    // \\?\usb#... is the interface subkey ##?#usb#...
    std::wstring path = kInterfaceClassKey + (L"##?#" + devicePath.substr(4)) + L"\\#\\Device Parameters";
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                        nullptr))
        return Fail("the port values' key was not made");
    Key key(opened);
    return (SetValue(key.get(), L"Port Number", REG_DWORD, &port, sizeof port) &&
            SetText(key.get(), L"Base Name", L"USB")) ||
           Fail("the port values were not written");
}

// Windows' printer class installer makes the queue of a printer whose driver is
// installed; Wine has none, so the stand-in takes its place.
bool RegisterPrinterClassInstaller(const std::wstring& folder) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPrinterClassKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                        nullptr))
        return Fail("the printer class key was not made");
    Key key(opened);
    return SetText(key.get(), L"Installer32", folder + L"tamrin_printer_class.dll,PrinterClassInstall") ||
           Fail("the printer class installer was not registered");
}

bool Plug(const Printer& printer) {
    if (!(printer.slot == 0 ? Unplug() : UnplugSlot(printer.slot)) || !RegisterRootDevice(printer)) return false;
    wchar_t inf[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, inf, MAX_PATH);
    while (length > 0 && inf[length - 1] != L'\\') --length;
    if (length == 0 || length + 16 > MAX_PATH) return Fail("the helper's folder is not known");
    lstrcpyW(inf + length, L"usb_printer.inf");
    BOOL reboot = FALSE;
    // Wine loads the driver at once (again when the prefix starts later); it gives TRUE
    // even where no device took the driver, so the interface is what tells.
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, kRootHardwareIds, inf, INSTALLFLAG_FORCE, &reboot))
        return Fail("the driver was not installed");
    if (!AwaitInterface(printer.instance, true)) return Fail("the printer's interface did not appear");
    std::wstring devicePath = PresentInterface(printer.instance);
    if (!WritePortValues(devicePath, printer.port) ||
        !RegisterPrinterClassInstaller(std::wstring(inf, length)))
        return false;
    std::printf("%ls\n", devicePath.c_str());
    return true;
}

bool ReadOptions(int argc, wchar_t** argv, Printer& printer) {
    for (int i = 2; i + 1 < argc; i += 2) {
        std::wstring option = argv[i], value = argv[i + 1];
        if (option == L"--device-id") {
            printer.deviceId = value;
        } else if (option == L"--instance") {
            printer.instance = value;
        } else if (option == L"--hardware-id") {
            printer.hardwareId = value;
        } else if (option == L"--port") {
            printer.port = wcstoul(value.c_str(), nullptr, 10);
        } else if (option == L"--slot") {
            printer.slot = wcstoul(value.c_str(), nullptr, 10);
        } else if (option == L"--answer") {
            printer.replies = value != L"error";
            printer.delay = value == L"never" ? kNoReply : wcstoul(value.c_str(), nullptr, 10);
        } else {
            return false;
        }
    }
    return (argc % 2) == 0 && printer.instance.find(L'\\') != std::wstring::npos && printer.slot < kSlots;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring command = argc > 1 ? argv[1] : L"";
    Printer printer;
    if (command == L"plug" && ReadOptions(argc, argv, printer)) return Plug(printer) ? 0 : 1;
    if (command == L"unplug" && argc == 2) return Unplug() ? 0 : 1;
    std::fprintf(stderr,
                 "usage: usb_printer plug [--device-id TEXT] [--instance ID] [--hardware-id ID] "
                 "[--port N] [--answer now|never|error|MS] [--slot N] | unplug\n");
    return 2;
}
