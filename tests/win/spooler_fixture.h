// Printers and drivers made directly in the spooler of the test's own Wine prefix, for
// the tests of the spooler operations and the printer user-interface commands.
#pragma once

#include <windows.h>
// The headers below build on windows.h.
#include <winspool.h>

#include <string>
#include <vector>

// winspool.h names the wide form of its calls through macros; the installer's own
// operation of the same name is meant here.
#undef SetDefaultPrinter

namespace spooler_fixture {

// Wine's PostScript driver files stand in for a driver's own files.
inline bool AddTestDriver(const std::wstring& name) {
    std::wstring model = name;
    wchar_t files[] = L"wineps.drv";
    wchar_t raw[] = L"RAW";
    DRIVER_INFO_3W driver{};
    driver.cVersion = 3;
    driver.pName = model.data();
    driver.pDriverPath = files;
    driver.pDataFile = files;
    driver.pConfigFile = files;
    driver.pDefaultDataType = raw;
    return AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver)) != 0;
}

inline bool AddTestPrinter(const std::wstring& name, const std::wstring& driver,
                       const std::wstring& port = L"LPT1:") {
    std::wstring printerName = name, driverName = driver, portName = port;
    wchar_t printProcessor[] = L"WinPrint";
    wchar_t raw[] = L"RAW";
    PRINTER_INFO_2W printer{};
    printer.pPrinterName = printerName.data();
    printer.pPortName = portName.data();
    printer.pDriverName = driverName.data();
    printer.pPrintProcessor = printProcessor;
    printer.pDatatype = raw;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
    if (!added) return false;
    ClosePrinter(added);
    return true;
}

inline std::vector<std::wstring> LocalPrinters() {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + sizeof(PRINTER_INFO_2W));
    std::vector<std::wstring> names;
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()),
                       &needed, &count)) {
        return names;
    }
    auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.emplace_back(records[i].pPrinterName);
    return names;
}

inline bool HasPrinter(const std::wstring& name) {
    for (const auto& n : LocalPrinters()) {
        if (n == name) return true;
    }
    return false;
}

// The first printer on the port gets the driver (PRINTER_INFO_2's pDriverName); false when
// no printer is on the port.
inline bool GiveQueueOnPortTheDriver(const std::wstring& port, std::wstring driver) {
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + sizeof(PRINTER_INFO_2W));
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                       &count))
        return false;
    auto* records = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (port != records[i].pPortName) continue;
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (!OpenPrinterW(records[i].pPrinterName, &printer, &defaults)) return false;
        records[i].pDriverName = driver.data();
        const bool set = SetPrinterW(printer, 2, reinterpret_cast<BYTE*>(&records[i]), 0) != 0;
        ClosePrinter(printer);
        return set;
    }
    return false;
}

inline bool HasDriver(const std::wstring& name) {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed + sizeof(DRIVER_INFO_1W));
    if (!EnumPrinterDriversW(nullptr, nullptr, 1, buffer.data(), static_cast<DWORD>(buffer.size()), &needed,
                             &count)) {
        return false;
    }
    auto* records = reinterpret_cast<DRIVER_INFO_1W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (name == records[i].pName) return true;
    }
    return false;
}

// Removes every local printer, so that each test starts from an empty spooler.
inline void RemoveAllPrinters() {
    for (auto& name : LocalPrinters()) {
        PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (OpenPrinterW(name.data(), &printer, &defaults)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
}

inline bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace spooler_fixture
