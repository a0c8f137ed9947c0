// The installer's members, each an adapter of a few lines over the engine's modules
// that keeps the integer results the wizard relies on.
#include "engine/printer_installer.h"

#include <cstring>

#include "engine/install/command_line.h"
#include "engine/install/device_matching.h"
#include "engine/install/installation_flow.h"
#include "engine/medium/medium_paths.h"
#include "engine/medium/preparation.h"
#include "engine/install/rundll32.h"
#include "engine/install/spooler.h"
#include "engine/machine/machine.h"
#include "platform/services.h"
#include "platform/system_version.h"
#include "platform/text.h"
#include "usb/device_rescan.h"

// The wizard reaches the installer from its pages only, whose objects are locals of the
// program's entry point; no other global object uses it while it is built.
CPrinterInstaller theInstaller;

namespace {

// Copies a path into its fixed buffer; 0 when it fitted whole, 1 when it was cut.
std::int32_t PathResult(char16_t (&buffer)[kPathCapacity], const std::u16string& path) {
    return text::Copy(buffer, kPathCapacity, path.c_str()) ? 0 : 1;
}

// An optional name or port given to an operation: absent, or short enough for its
// field and safe between quotes.
bool AcceptableOptional(const char16_t* value) {
    return !value || (text::LengthBounded(value, kNameCapacity) < kNameCapacity && !text::BreaksQuotes(value));
}

// Moves the names found to the end of the caller's list; false when there were none to
// be had (the look-up failed).
bool AppendFound(std::optional<StringList>&& found, StringList& list) {
    if (!found) return false;
    for (std::u16string& name : *found) list.push_back(std::move(name));
    return true;
}

// One step of the installation flow for the installer's selection and options, with
// its log unopened: a failed start of rundll32 is told to the installer's observer.
class SingleStep final : engine::FlowObserver {
public:
    SingleStep(const CPrinterInstaller& installer, engine::FlowObserver* told)
        : request(Request(installer)), steps(request, *this, log), told_(told) {}

    engine::InstallRequest request;
    engine::SetupLog log;
    engine::InstallationSteps steps;

private:
    static engine::InstallRequest Request(const CPrinterInstaller& installer) {
        engine::InstallChoices choices;
        choices.port = installer.portName;
        choices.makeDefault = installer.setAsDefault != 0;
        choices.testPage = installer.printTestPage != 0;
        return engine::PreparePrinter(installer.Medium(), installer.modelName, choices, engine::FindAttachedPrinters())
            .request;
    }
    void OnStep(engine::FlowStep) override {}
    void OnStartFailure(engine::MessageId why) override {
        if (told_) told_->OnStartFailure(why);
    }

    engine::FlowObserver* told_;
};

}  // namespace

CPrinterInstaller::CPrinterInstaller() { Reset(); }

CPrinterInstaller::~CPrinterInstaller() = default;

void CPrinterInstaller::Reset() {
    programDir[0] = printerInfoPath[0] = driverInfPath[0] = languagePath[0] = 0;
    modelName[0] = portName[0] = 0;
    text::Copy(language, kLanguageCapacity, u"English");
    setAsDefault = 0;
    printTestPage = 0;
    GetModuleDirectory(programDir);
    InitPrinterInfoPath();
    InitDriverInfPath();
    InitLanguagePath();
}

// Installer context and configuration files.

std::int32_t CPrinterInstaller::GetModuleDirectory(char16_t* out) {
    std::memset(out, 0, kPathCapacity * sizeof(char16_t));
    std::optional<std::u16string> folder = engine::ProgramFolder();
    if (!folder) return 1;
    return text::Copy(out, kPathCapacity, folder->c_str()) ? 0 : 1;
}

std::int32_t CPrinterInstaller::ProgramDirFits() const {
    return engine::ProgramFolderFits(std::u16string_view(programDir, text::LengthBounded(programDir, kPathCapacity)))
               ? 1
               : 0;
}

std::int32_t CPrinterInstaller::InitPrinterInfoPath() {
    return PathResult(printerInfoPath, engine::CatalogueFile(programDir));
}

std::int32_t CPrinterInstaller::InitLanguagePath() { return PathResult(languagePath, engine::LanguageFile(programDir)); }

std::int32_t CPrinterInstaller::InitDriverInfPath() {
    engine::PrintHead head = engine::Catalogue(printerInfoPath).PrintHeadOf(modelName);
    return PathResult(driverInfPath, engine::DriverInfFile(programDir, head));
}

engine::MediumFiles CPrinterInstaller::Medium() const { return engine::MediumFiles{programDir, printerInfoPath}; }

std::int32_t CPrinterInstaller::ReadProfileString(const char16_t* section, const char16_t* key,
                                                  const char16_t* file, char16_t* buffer, platform::Dword size) {
    return engine::Catalogue(file).ReadValue(section, key, buffer, size) ? 1 : 0;
}

std::int32_t CPrinterInstaller::ReadProfileSection(const char16_t* section, const char16_t* file, char16_t* buffer,
                                                   platform::Dword size) {
    return static_cast<std::int32_t>(engine::Catalogue(file).ReadSection(section, buffer, size).value_or(0));
}

std::int32_t CPrinterInstaller::GetPrinterType(const char16_t* printerName) {
    switch (engine::Catalogue(printerInfoPath).PrintHeadOf(printerName)) {
        case engine::PrintHead::Pins24: return 1;
        case engine::PrintHead::Pins9: return 2;
        case engine::PrintHead::Unknown: break;
    }
    return -1;
}

std::int32_t CPrinterInstaller::GetPrinterName(const char16_t* entry, char16_t* buffer, platform::Dword size) {
    return engine::Catalogue(printerInfoPath).ReadPrinterName(entry, buffer, size) ? 1 : 0;
}

std::int32_t CPrinterInstaller::GetModelName(char16_t* buffer, std::size_t capacity) const {
    return text::Copy(buffer, capacity, modelName) ? 1 : 0;
}

std::int32_t CPrinterInstaller::SetModelName(const char16_t* name) {
    return text::Copy(modelName, kNameCapacity, name) ? 1 : 0;
}

std::int32_t CPrinterInstaller::GetPortName(char16_t* buffer, std::size_t capacity) const {
    return text::Copy(buffer, capacity, portName) ? 1 : 0;
}

std::int32_t CPrinterInstaller::SetPortName(const char16_t* name) {
    return text::Copy(portName, kNameCapacity, name) ? 1 : 0;
}

std::int32_t CPrinterInstaller::GetDefaultFlag() const { return setAsDefault; }

std::int32_t CPrinterInstaller::SetDefaultFlag(std::int32_t value) {
    setAsDefault = value == 1 ? 1 : 0;
    return setAsDefault;
}

std::int32_t CPrinterInstaller::GetTestPageFlag() const { return printTestPage; }

std::int32_t CPrinterInstaller::SetTestPageFlag(std::int32_t value) {
    printTestPage = value == 1 ? 1 : 0;
    return printTestPage;
}

// Printer catalogue.

std::int32_t CPrinterInstaller::GetSeriesList(StringList& list) {
    return AppendFound(engine::Catalogue(printerInfoPath).SeriesNames(), list) ? 1 : 0;
}

std::int32_t CPrinterInstaller::GetSeriesModels(const char16_t* series, StringList& list) {
    return AppendFound(engine::Catalogue(printerInfoPath).Lines(series), list) ? 1 : 0;
}

std::int32_t CPrinterInstaller::IsSeriesModel(const char16_t* model) {
    return engine::Catalogue(printerInfoPath).ListsInMainSeries(model) ? 1 : 0;
}

std::int32_t CPrinterInstaller::FindSeriesOfModel(char16_t* series, std::size_t capacity, const char16_t* model) {
    std::optional<std::u16string> found = engine::Catalogue(printerInfoPath).SeriesOf(model);
    if (!found) return 0;
    text::Copy(series, capacity, found->c_str());
    return 1;
}

// Device ID and driver INF matching.

std::int32_t CPrinterInstaller::ReadUsbPrinterModel(char16_t* model, std::size_t capacity) {
    std::optional<std::u16string> attached = engine::AttachedPrinterModel();
    if (capacity > 0) text::Copy(model, capacity, attached ? attached->c_str() : u"");
    return attached ? 1 : 0;
}

std::int32_t CPrinterInstaller::FindHardwareIdInInf(const char16_t* infPath, const char16_t* quotedName,
                                                    std::int32_t length, char* hardwareId) {
    if (hardwareId == nullptr || length < 0) return 0;
    const engine::TargetSystem system = engine::TargetSystemOf(
        engine::ReadMachine(), platform::Get<platform::SystemVersion>().GetSystemDefaultLangID());
    engine::InfHardwareId found =
        engine::HardwareIdInInf(infPath, quotedName, static_cast<std::size_t>(length), system);
    if (found.lookup != engine::InfLookup::Found || found.id.size() >= kHardwareIdCapacity) return 0;
    // Only an ASCII ID reaches 8-bit text unchanged, as hardware IDs are written.
    for (char16_t c : found.id) {
        if (c > 0x7F) return 0;
    }
    for (std::size_t i = 0; i < found.id.size(); ++i) hardwareId[i] = static_cast<char>(found.id[i]);
    hardwareId[found.id.size()] = 0;
    return 1;
}

// Spooler operations.

std::int32_t CPrinterInstaller::EnumPortNames(StringList& list) {
    return AppendFound(engine::ListPortNames().value, list) ? 1 : 0;
}

std::int32_t CPrinterInstaller::FindInstalledPrinters(const char16_t* model, StringList& list) {
    const std::size_t before = list.size();
    if (!AppendFound(engine::FindPrintersOfModel(model).value, list)) return -1;
    return static_cast<std::int32_t>(list.size() - before);
}

std::int32_t CPrinterInstaller::PrinterExists(const char16_t* name) { return engine::PrinterExists(name) ? 1 : 0; }

std::int32_t CPrinterInstaller::DeletePrinterAndDriver(const char16_t* name) {
    const char16_t* environment = engine::SpoolerEnvironment(engine::ReadMachine().DriverArchitecture());
    return engine::RemovePrinterAndDriver(name, environment).driver.ok() ? 1 : 0;
}

std::int32_t CPrinterInstaller::PurgePrinter(platform::Handle printer) {
    return engine::PurgePrinter(printer) ? 1 : 0;
}

// Driver installation: each member one step of the installation flow, for the
// selection and options held here.

std::int32_t CPrinterInstaller::InstallDriver() {
    SingleStep step(*this, startFailureObserver_);
    return step.steps.StagePackage() && step.steps.InstallDriver() ? 1 : 0;
}

std::int32_t CPrinterInstaller::InstallPnpDriver() {
    SingleStep step(*this, startFailureObserver_);
    return step.steps.UpdateAttachedPrinter(step.request.port) ? 1 : 0;
}

std::int32_t CPrinterInstaller::InstallPrinter(const char16_t* name, const char16_t* port) {
    if (!AcceptableOptional(name) || !AcceptableOptional(port)) return 0;
    if (name) text::Copy(modelName, kNameCapacity, name);
    if (port) text::Copy(portName, kNameCapacity, port);
    SingleStep step(*this, startFailureObserver_);
    return step.steps.InstallQueue() ? 1 : 0;
}

std::int32_t CPrinterInstaller::SetDefaultPrinter(const char16_t* name) {
    if (!setAsDefault) return 1;
    if (!AcceptableOptional(name)) return 0;
    if (name) text::Copy(modelName, kNameCapacity, name);
    SingleStep step(*this, startFailureObserver_);
    return step.steps.MakeDefault() ? 1 : 0;
}

std::int32_t CPrinterInstaller::PrintTestPage(const char16_t* name) {
    if (!printTestPage) return 1;
    if (!AcceptableOptional(name)) return 0;
    if (name) text::Copy(modelName, kNameCapacity, name);
    SingleStep step(*this, startFailureObserver_);
    return step.steps.PrintTestPage() ? 1 : 0;
}

std::int32_t CPrinterInstaller::RunRundll32(const char16_t* parameters) {
    platform::Outcome start = engine::StartRundll32(parameters);
    if (start.ok()) return 1;
    if (!startFailureObserver_) return 0;
    startFailureObserver_->OnStartFailure(engine::StartFailureMessage(start.error));
    return 0;
}

// Device tree re-scan.

std::int32_t CPrinterInstaller::RescanDevices() { return usb::RescanDevices(); }
