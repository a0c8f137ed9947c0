// The installer record: construction, the paths of the medium's files, the catalogue's
// profile reads and the accessors of the selection and the options.
#include <cstring>

#include "engine/printer_installer.h"
#include "platform/module.h"
#include "platform/profile.h"
#include "platform/services.h"
#include "platform/text.h"

const char16_t kMainSeries[] = u"KV系列";

namespace {
const char16_t kPrinterTypeSection[] = u"PRINTER_TYPE";
const char16_t kPrinterNameSection[] = u"PRINTER_NAME";
}  // namespace

// The one installer of the process is built before any other global object of the
// program, so that the wizard finds it complete.
#if defined(_MSC_VER)
#pragma init_seg(lib)
CPrinterInstaller theInstaller;
#else
CPrinterInstaller theInstaller __attribute__((init_priority(200)));
#endif

CPrinterInstaller::CPrinterInstaller() {
    programDir[0] = printerInfoPath[0] = driverInfPath[0] = languagePath[0] = 0;
    modelName[0] = portName[0] = language[0] = 0;
    text::Copy(language, kLanguageCapacity, u"English");
    setAsDefault = 0;
    printTestPage = 0;
    GetModuleDirectory(programDir);
    InitPrinterInfoPath();
    InitDriverInfPath();
    InitLanguagePath();
}

CPrinterInstaller::~CPrinterInstaller() = default;

std::int32_t CPrinterInstaller::GetModuleDirectory(char16_t* out) {
    char16_t path[kPathCapacity] = {};
    platform::Dword n = platform::Get<platform::Module>().GetModuleFileNameW(path, kPathCapacity);
    std::memset(out, 0, kPathCapacity * sizeof(char16_t));
    // A path that filled the buffer was cut; a folder taken from it would be wrong.
    if (n == 0 || n >= kPathCapacity) return 1;
    std::size_t cut = text::LengthBounded(path, kPathCapacity - 1);
    while (cut > 0 && path[cut - 1] != u'\\') --cut;
    path[cut] = 0;
    return text::Copy(out, kPathCapacity, path) ? 0 : 1;
}

std::int32_t CPrinterInstaller::ProgramDirFits() const {
    std::size_t n = text::LengthBounded(programDir, kPathCapacity);
    return n > 0 && n <= kMaxProgramDirLength ? 1 : 0;
}

std::int32_t CPrinterInstaller::InitPrinterInfoPath() {
    printerInfoPath[0] = 0;
    text::Copy(printerInfoPath, kPathCapacity, programDir);
    return text::Append(printerInfoPath, kPathCapacity, u"PrinterInfor.Inf") ? 0 : 1;
}

std::int32_t CPrinterInstaller::InitLanguagePath() {
    languagePath[0] = 0;
    text::Copy(languagePath, kPathCapacity, programDir);
    return text::Append(languagePath, kPathCapacity, u"Language.inf") ? 0 : 1;
}

std::int32_t CPrinterInstaller::InitDriverInfPath() {
    driverInfPath[0] = 0;
    text::Copy(driverInfPath, kPathCapacity, programDir);
    bool whole = text::Append(driverInfPath, kPathCapacity, u"PrinterDriver\\");
    switch (GetPrinterType(modelName)) {
        case 1: whole = text::Append(driverInfPath, kPathCapacity, u"24pin\\OEMPRINT.INF") && whole; break;
        case 2: whole = text::Append(driverInfPath, kPathCapacity, u"9pin\\OEMPRINT.INF") && whole; break;
        default: break;
    }
    return whole ? 0 : 1;
}

std::int32_t CPrinterInstaller::ReadProfileString(const char16_t* section, const char16_t* key,
                                                  const char16_t* file, char16_t* buffer,
                                                  platform::Dword size) {
    platform::Dword n =
        platform::Get<platform::Profile>().GetPrivateProfileStringW(section, key, nullptr, buffer, size, file);
    return (n == 0 || n == size - 2) ? 0 : 1;
}

std::int32_t CPrinterInstaller::ReadProfileSection(const char16_t* section, const char16_t* file,
                                                   char16_t* buffer, platform::Dword size) {
    platform::Dword n = platform::Get<platform::Profile>().GetPrivateProfileSectionW(section, buffer, size, file);
    return (n == 0 || n == size - 2) ? 0 : static_cast<std::int32_t>(n);
}

std::int32_t CPrinterInstaller::GetPrinterType(const char16_t* printerName) {
    char16_t value[20] = {};
    if (!ReadProfileString(kPrinterTypeSection, printerName, printerInfoPath, value, 20)) return -1;
    if (text::Equal(value, u"24")) return 1;
    if (text::Equal(value, u"9")) return 2;
    return -1;
}

std::int32_t CPrinterInstaller::GetPrinterName(const char16_t* entry, char16_t* buffer, platform::Dword size) {
    return ReadProfileString(kPrinterNameSection, entry, printerInfoPath, buffer, size) ? 1 : 0;
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
