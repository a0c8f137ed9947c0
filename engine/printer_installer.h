// The installer engine as the wizard sees it: the selection and options of one
// installation, the paths of the files on the driver medium, and the operations on the
// catalogue, the attached printer, the spooler and the driver. Every operation returns
// an integer status and never throws; each is a thin adapter over the engine's modules
// (medium_paths, catalogue, device_matching, spooler, installation), which take explicit
// inputs and return typed results.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/medium/catalogue.h"
#include "engine/limits.h"
#include "platform/types.h"

namespace engine {
class FlowObserver;
}  // namespace engine

class CPrinterInstaller {
public:
    CPrinterInstaller();
    ~CPrinterInstaller();

    // Back to the state of start-up: the paths beside the running program, no selection,
    // both options clear.
    void Reset();

    // Installer context and configuration files.
    std::int32_t GetModuleDirectory(char16_t* out);  // out holds kPathCapacity characters
    std::int32_t InitPrinterInfoPath();
    std::int32_t InitDriverInfPath();
    std::int32_t InitLanguagePath();
    std::int32_t ReadProfileString(const char16_t* section, const char16_t* key, const char16_t* file,
                                   char16_t* buffer, platform::Dword size);
    std::int32_t ReadProfileSection(const char16_t* section, const char16_t* file, char16_t* buffer,
                                    platform::Dword size);
    std::int32_t GetPrinterType(const char16_t* printerName);
    std::int32_t GetPrinterName(const char16_t* entry, char16_t* buffer, platform::Dword size);
    std::int32_t GetModelName(char16_t* buffer, std::size_t capacity) const;
    std::int32_t SetModelName(const char16_t* name);
    std::int32_t GetPortName(char16_t* buffer, std::size_t capacity) const;
    std::int32_t SetPortName(const char16_t* name);
    std::int32_t GetDefaultFlag() const;
    std::int32_t SetDefaultFlag(std::int32_t value);
    std::int32_t GetTestPageFlag() const;
    std::int32_t SetTestPageFlag(std::int32_t value);
    // The medium beside the program: its folder and catalogue.
    engine::MediumFiles Medium() const;
    // 1 when the program's folder was read whole and leaves room for every file path.
    std::int32_t ProgramDirFits() const;

    // Printer catalogue.
    std::int32_t GetSeriesList(StringList& list);
    std::int32_t GetSeriesModels(const char16_t* series, StringList& list);
    std::int32_t IsSeriesModel(const char16_t* model);
    std::int32_t FindSeriesOfModel(char16_t* series, std::size_t capacity, const char16_t* model);

    // Device ID and driver INF matching.
    std::int32_t ReadUsbPrinterModel(char16_t* model, std::size_t capacity);
    std::int32_t FindHardwareIdInInf(const char16_t* infPath, const char16_t* quotedName,
                                     std::int32_t length, char* hardwareId /* kHardwareIdCapacity */);

    // Spooler operations.
    std::int32_t EnumPortNames(StringList& list);
    std::int32_t FindInstalledPrinters(const char16_t* model, StringList& list);
    std::int32_t PrinterExists(const char16_t* name);
    std::int32_t DeletePrinterAndDriver(const char16_t* name);
    std::int32_t PurgePrinter(platform::Handle printer);

    // Driver installation.
    std::int32_t InstallDriver();
    std::int32_t InstallPnpDriver();
    std::int32_t InstallPrinter(const char16_t* name = nullptr, const char16_t* port = nullptr);
    std::int32_t SetDefaultPrinter(const char16_t* name = nullptr);
    std::int32_t PrintTestPage(const char16_t* name = nullptr);
    std::int32_t RunRundll32(const char16_t* parameters);
    // Told of a start of rundll32 that failed, by RunRundll32 and the driver installation's
    // members: the wizard, which shows it in a box. None by default: nothing is shown.
    void SetStartFailureObserver(engine::FlowObserver* observer) { startFailureObserver_ = observer; }

    // Device tree re-scan.
    std::int32_t RescanDevices();

    char16_t programDir[kPathCapacity];
    char16_t printerInfoPath[kPathCapacity];
    char16_t driverInfPath[kPathCapacity];
    char16_t languagePath[kPathCapacity];
    char16_t modelName[kNameCapacity];
    char16_t portName[kNameCapacity];
    char16_t language[kLanguageCapacity];
    std::int32_t setAsDefault;
    std::int32_t printTestPage;

private:
    engine::FlowObserver* startFailureObserver_ = nullptr;
};

extern CPrinterInstaller theInstaller;
