// A stand-in for Windows' printer class installer, for tests under Wine only. Windows
// makes the queue of a plug-and-play printer once its driver is installed, named by the
// device description of the INF's model line, on the USB port the port monitor gave the
// printer; Wine has no printer class installer and makes none. `usb_printer plug`
// registers this library as the printer class's installer (Installer32 of the class key),
// which setupapi calls for each step of a device installation:
// - at DIF_NEWDEVICEWIZARD_FINISHINSTALL, after the driver is installed on the device, it
//   adds the driver of the device's description (Wine's PostScript driver files stand in
//   for the driver's own); then, as Windows keeps one queue per device, a printer already
//   on the printer's USB port gets that driver, and without one the printer of that name
//   is made there. The port is the one of the printer the device is below (a second
//   printer has a port of its own);
// - every step is left to setupapi's own handling (ERROR_DI_DO_DEFAULT).
#include <windows.h>
// after windows.h, which they need
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstdio>
#include <string>

#include "tests/win/spooler_fixture.h"

namespace {

const wchar_t kInterfaceClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

DWORD DwordValue(HKEY parent, const std::wstring& path, const wchar_t* name, DWORD otherwise) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(parent, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
        return otherwise;
    }
    return value;
}

// "USB" and the port number of the linked USB printing interface of the printer whose
// device instance ends in the serial (the test printer gives the device below it the
// same), as the port monitor names it; empty when there is none.
std::wstring UsbPort(const std::wstring& serial) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInterfaceClassKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return {};
    std::wstring port;
    wchar_t name[256];
    for (DWORD i = 0; port.empty(); ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring below = std::wstring(name) + L"\\#";
        if (DwordValue(opened, below + L"\\Control", L"Linked", 0) != 1) continue;
        wchar_t instance[MAX_DEVICE_ID_LEN] = {};
        DWORD size = sizeof instance - sizeof(wchar_t);
        if (RegGetValueW(opened, name, L"DeviceInstance", RRF_RT_REG_SZ, nullptr, instance, &size) != ERROR_SUCCESS)
            continue;
        const wchar_t* last = wcsrchr(instance, L'\\');
        if (!last || lstrcmpiW(last + 1, serial.c_str()) != 0) continue;
        const DWORD number = DwordValue(opened, below + L"\\Device Parameters", L"Port Number", 0);
        if (number == 0 || number > 999) continue;
        wchar_t text[8];
        std::swprintf(text, 8, L"USB%03lu", number);
        port = text;
    }
    RegCloseKey(opened);
    return port;
}

void MakeQueue(HDEVINFO set, SP_DEVINFO_DATA* device) {
    wchar_t description[LINE_LEN] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, device, SPDRP_DEVICEDESC, nullptr,
                                           reinterpret_cast<BYTE*>(description), sizeof description - 2,
                                           nullptr) ||
        description[0] == 0) {
        return;
    }
    wchar_t instance[MAX_DEVICE_ID_LEN] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, device, instance, MAX_DEVICE_ID_LEN, nullptr)) return;
    const wchar_t* serial = wcsrchr(instance, L'\\');
    const std::wstring port = UsbPort(serial ? serial + 1 : instance);
    if (port.empty()) return;
    spooler_fixture::AddTestDriver(description);  // fails harmlessly when it is there
    if (!spooler_fixture::GiveQueueOnPortTheDriver(port, description) && !spooler_fixture::HasPrinter(description))
        spooler_fixture::AddTestPrinter(description, description, port);
}

}  // namespace

extern "C" DWORD CALLBACK PrinterClassInstall(DI_FUNCTION function, HDEVINFO set, SP_DEVINFO_DATA* device) {
    if (function == DIF_NEWDEVICEWIZARD_FINISHINSTALL && device) MakeQueue(set, device);
    return ERROR_DI_DO_DEFAULT;
}
