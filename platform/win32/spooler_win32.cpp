// The print spooler: forwarders to winspool.drv, loaded at run time from the system
// directory. The enumeration buffers pass through unchanged; the seam's records are
// the platform's records, which the asserts below hold to.
#include <windows.h>
// The headers below build on windows.h.
#include <winspool.h>

#include <cstddef>

#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_library.h"

namespace platform {
namespace {

static_assert(sizeof(PrinterInfo2) == sizeof(PRINTER_INFO_2W));
static_assert(offsetof(PrinterInfo2, printerName) == offsetof(PRINTER_INFO_2W, pPrinterName));
static_assert(offsetof(PrinterInfo2, securityDescriptor) == offsetof(PRINTER_INFO_2W, pSecurityDescriptor));
static_assert(offsetof(PrinterInfo2, averagePpm) == offsetof(PRINTER_INFO_2W, AveragePPM));
static_assert(sizeof(PortInfo2) == sizeof(PORT_INFO_2W));
static_assert(offsetof(PortInfo2, portName) == offsetof(PORT_INFO_2W, pPortName));
static_assert(offsetof(PortInfo2, reserved) == offsetof(PORT_INFO_2W, Reserved));

// A spooler call whose library or entry point could not be had.
Result<Bool> Missing() {
    return ProcNotFound<Bool>();
}

class Win32Spooler final : public Spooler {
public:
    Win32Spooler()
        : winspool_(L"winspool.drv"),
          enumPrinters_(winspool_.Proc<decltype(&::EnumPrintersW)>("EnumPrintersW")),
          enumPorts_(winspool_.Proc<decltype(&::EnumPortsW)>("EnumPortsW")),
          openPrinter_(winspool_.Proc<decltype(&::OpenPrinterW)>("OpenPrinterW")),
          setPrinter_(winspool_.Proc<decltype(&::SetPrinterW)>("SetPrinterW")),
          deletePrinter_(winspool_.Proc<decltype(&::DeletePrinter)>("DeletePrinter")),
          closePrinter_(winspool_.Proc<decltype(&::ClosePrinter)>("ClosePrinter")),
          deleteDriver_(winspool_.Proc<decltype(&::DeletePrinterDriverExW)>("DeletePrinterDriverExW")),
          installFromPackage_(winspool_.Proc<InstallFromPackage>("InstallPrinterDriverFromPackageW")),
          enumDrivers_(winspool_.Proc<decltype(&::EnumPrinterDriversW)>("EnumPrinterDriversW")),
          deletePackage_(winspool_.Proc<DeletePackage>("DeletePrinterDriverPackageW")) {}

    Result<Bool> EnumPrintersW(Dword flags, const char16_t* name, Dword level, unsigned char* buffer,
                               Dword size, Dword* needed, Dword* returned) override {
        if (!enumPrinters_) return Missing();
        return WithLastError<Bool>(enumPrinters_(flags, AsMutableWide(name), level, buffer, size,
                                                 AsDword(needed), AsDword(returned)));
    }
    Result<Bool> EnumPortsW(const char16_t* server, Dword level, unsigned char* buffer, Dword size,
                            Dword* needed, Dword* returned) override {
        if (!enumPorts_) return Missing();
        return WithLastError<Bool>(
            enumPorts_(AsMutableWide(server), level, buffer, size, AsDword(needed), AsDword(returned)));
    }
    Result<Bool> OpenPrinterW(const char16_t* name, Handle* printer,
                              const PrinterDefaults* defaults) override {
        if (!openPrinter_) return Missing();
        PRINTER_DEFAULTSW platformDefaults{};
        if (defaults) {
            platformDefaults.pDatatype = AsMutableWide(defaults->dataType);
            platformDefaults.pDevMode = static_cast<DEVMODEW*>(defaults->devMode);
            platformDefaults.DesiredAccess = defaults->desiredAccess;
        }
        return WithLastError<Bool>(
            openPrinter_(AsMutableWide(name), printer, defaults ? &platformDefaults : nullptr));
    }
    Result<Bool> SetPrinterW(Handle printer, Dword level, unsigned char* data, Dword command) override {
        if (!setPrinter_) return Missing();
        return WithLastError<Bool>(setPrinter_(printer, level, data, command));
    }
    Result<Bool> DeletePrinter(Handle printer) override {
        if (!deletePrinter_) return Missing();
        return WithLastError<Bool>(deletePrinter_(printer));
    }
    Result<Bool> ClosePrinter(Handle printer) override {
        if (!closePrinter_) return Missing();
        return WithLastError<Bool>(closePrinter_(printer));
    }
    Result<Bool> DeletePrinterDriverExW(const char16_t* server, const char16_t* environment,
                                        const char16_t* driver, Dword deleteFlag,
                                        Dword versionFlag) override {
        if (!deleteDriver_) return Missing();
        return WithLastError<Bool>(deleteDriver_(AsMutableWide(server), AsMutableWide(environment),
                                                 AsMutableWide(driver), deleteFlag, versionFlag));
    }

    Result<Bool> InstallPrinterDriverFromPackageW(const char16_t* server, const char16_t* infPath,
                                                  const char16_t* driverName, const char16_t* environment,
                                                  Dword flags) override {
        if (!installFromPackage_) return Missing();
        const HRESULT result =
            installFromPackage_(AsWide(server), AsWide(infPath), AsWide(driverName), AsWide(environment), flags);
        return result == S_OK ? Result<Bool>{1} : Result<Bool>{0, static_cast<Dword>(result)};
    }

    Result<Bool> EnumPrinterDriversW(const char16_t* server, const char16_t* environment, Dword level,
                                     unsigned char* buffer, Dword size, Dword* needed, Dword* returned) override {
        if (!enumDrivers_) return Missing();
        return WithLastError<Bool>(enumDrivers_(AsMutableWide(server), AsMutableWide(environment), level, buffer,
                                                size, AsDword(needed), AsDword(returned)));
    }
    Result<Bool> DeletePrinterDriverPackageW(const char16_t* server, const char16_t* infPath,
                                             const char16_t* environment) override {
        if (!deletePackage_) return Missing();
        const HRESULT result = deletePackage_(AsWide(server), AsWide(infPath), AsWide(environment));
        return result == S_OK ? Result<Bool>{1} : Result<Bool>{0, static_cast<Dword>(result)};
    }

private:
    using InstallFromPackage = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, DWORD);
    using DeletePackage = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR);
    SystemLibrary winspool_;
    decltype(&::EnumPrintersW) enumPrinters_;
    decltype(&::EnumPortsW) enumPorts_;
    decltype(&::OpenPrinterW) openPrinter_;
    decltype(&::SetPrinterW) setPrinter_;
    decltype(&::DeletePrinter) deletePrinter_;
    decltype(&::ClosePrinter) closePrinter_;
    decltype(&::DeletePrinterDriverExW) deleteDriver_;
    InstallFromPackage installFromPackage_;
    decltype(&::EnumPrinterDriversW) enumDrivers_;
    DeletePackage deletePackage_;
};

static_assert(sizeof(DriverInfo8) == sizeof(DRIVER_INFO_8W));
static_assert(offsetof(DriverInfo8, infPath) == offsetof(DRIVER_INFO_8W, pszInfPath));
static_assert(offsetof(DriverInfo8, minInboxDriverVersion) == offsetof(DRIVER_INFO_8W, dwlMinInboxDriverVerVersion));

}  // namespace

template <>
Spooler& Default<Spooler>() {
    static Win32Spooler instance;
    return instance;
}

}  // namespace platform
