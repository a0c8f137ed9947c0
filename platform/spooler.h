// The print spooler (winspool): listing printers and ports, purging and deleting a
// printer, deleting a driver.
//
// Enumerations pass the caller's raw buffer through, so that the sizing (needed bytes,
// ERROR_INSUFFICIENT_BUFFER) is the spooler's own. The spooler fills the buffer with an
// array of records followed by the strings they point to. PrinterInfo2 and PortInfo2
// are declared field by field as the platform declares PRINTER_INFO_2W and PORT_INFO_2W
// (pointers and 32-bit values only), so they have the platform's layout in the x64 and
// the x86 build alike; the Windows forwarder checks this at compile time. Fakes build
// their buffers with the same records.
#pragma once

#include <cstdint>

#include "platform/result.h"
#include "platform/services.h"
#include "platform/types.h"

namespace platform {

constexpr Dword kPrinterEnumLocal = 2;            // PRINTER_ENUM_LOCAL
constexpr Dword kPrinterAllAccess = 0xF000C;      // PRINTER_ALL_ACCESS
constexpr Dword kPrinterControlPurge = 3;         // PRINTER_CONTROL_PURGE
constexpr Dword kDeleteUnusedFiles = 1;           // DPD_DELETE_UNUSED_FILES
constexpr Dword kCopyAllFiles = 1;                // IPDFP_COPY_ALL_FILES
// The driver version of Windows 2000 and later. DeletePrinterDriverExW reads the version
// only together with DPD_DELETE_SPECIFIC_VERSION; without it every version goes.
constexpr Dword kDriverVersion3 = 3;
constexpr Dword kErrorSpoolerUnavailable = 1722;  // RPC_S_SERVER_UNAVAILABLE

struct PrinterInfo2 {
    char16_t* serverName;
    char16_t* printerName;
    char16_t* shareName;
    char16_t* portName;
    char16_t* driverName;
    char16_t* comment;
    char16_t* location;
    void* devMode;
    char16_t* sepFile;
    char16_t* printProcessor;
    char16_t* dataType;
    char16_t* parameters;
    void* securityDescriptor;
    Dword attributes;
    Dword priority;
    Dword defaultPriority;
    Dword startTime;
    Dword untilTime;
    Dword status;
    Dword jobs;
    Dword averagePpm;
};

struct PortInfo2 {
    char16_t* portName;
    char16_t* monitorName;
    char16_t* description;
    Dword portType;
    Dword reserved;
};

// DRIVER_INFO_8W, as EnumPrinterDriversW lists drivers at level 8 (the forwarder checks the
// layout); the logic reads the name and the package's INF path in the driver store.
struct DriverInfo8 {
    Dword version;
    char16_t* name;
    char16_t* environment;
    char16_t* driverPath;
    char16_t* dataFile;
    char16_t* configFile;
    char16_t* helpFile;
    char16_t* dependentFiles;
    char16_t* monitorName;
    char16_t* defaultDataType;
    char16_t* previousNames;
    Dword driverDate[2];  // FILETIME
    std::uint64_t driverVersion;
    char16_t* manufacturer;
    char16_t* oemUrl;
    char16_t* hardwareId;
    char16_t* provider;
    char16_t* printProcessor;
    char16_t* vendorSetup;
    char16_t* colorProfiles;
    char16_t* infPath;
    Dword attributes;
    char16_t* coreDriverDependencies;
    Dword minInboxDriverDate[2];
    std::uint64_t minInboxDriverVersion;
};

// PRINTER_DEFAULTSW.
struct PrinterDefaults {
    char16_t* dataType;
    void* devMode;
    Dword desiredAccess;
};

// Every call gives its error code with its result.
struct Spooler {
    virtual Result<Bool> EnumPrintersW(Dword flags, const char16_t* name, Dword level, unsigned char* buffer,
                                       Dword size, Dword* needed, Dword* returned) = 0;
    virtual Result<Bool> EnumPortsW(const char16_t* server, Dword level, unsigned char* buffer, Dword size,
                                    Dword* needed, Dword* returned) = 0;
    virtual Result<Bool> OpenPrinterW(const char16_t* name, Handle* printer,
                                      const PrinterDefaults* defaults) = 0;
    virtual Result<Bool> SetPrinterW(Handle printer, Dword level, unsigned char* data, Dword command) = 0;
    virtual Result<Bool> DeletePrinter(Handle printer) = 0;
    virtual Result<Bool> ClosePrinter(Handle printer) = 0;
    virtual Result<Bool> DeletePrinterDriverExW(const char16_t* server, const char16_t* environment,
                                                const char16_t* driver, Dword deleteFlag,
                                                Dword versionFlag) = 0;
    // As the Windows call, for the drivers of this system's environment (environment null).
    // Where the spooler cannot list them, as here, it fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> EnumPrinterDriversW(const char16_t* server, const char16_t* environment, Dword level,
                                             unsigned char* buffer, Dword size, Dword* needed, Dword* returned) {
        (void)server, (void)environment, (void)level, (void)buffer, (void)size, (void)needed, (void)returned;
        return {0, kErrorProcNotFound};
    }
    // As the Windows call (Windows Vista and later), looked up at run time: the driver
    // package of that INF taken out of the driver store; a failure gives its HRESULT as
    // the error. Where the call is missing (old Windows, Wine), as here, it fails with
    // ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> DeletePrinterDriverPackageW(const char16_t* server, const char16_t* infPath,
                                                     const char16_t* environment) {
        (void)server, (void)infPath, (void)environment;
        return {0, kErrorProcNotFound};
    }
    // As the Windows call (Windows Vista and later), looked up at run time; a failure gives
    // its HRESULT as the error. Where the call is missing (old Windows, Wine), as here, it
    // fails with ERROR_PROC_NOT_FOUND.
    virtual Result<Bool> InstallPrinterDriverFromPackageW(const char16_t* server, const char16_t* infPath,
                                                          const char16_t* driverName, const char16_t* environment,
                                                          Dword flags) {
        (void)server, (void)infPath, (void)driverName, (void)environment, (void)flags;
        return {0, kErrorProcNotFound};
    }

protected:
    ~Spooler() = default;
};

// An opened printer, for platform::ScopedHandle.
using PrinterTraits = ServiceHandleTraits<Spooler, &Spooler::ClosePrinter>;

}  // namespace platform
