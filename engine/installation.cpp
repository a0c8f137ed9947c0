// Driver installation: the choice between the plug-and-play route and the printer
// user-interface route, and the printer user-interface commands (install, make
// default, print a test page) given to rundll32.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "engine/printer_installer.h"
#include "platform/codepage.h"
#include "platform/pnp_update.h"
#include "platform/services.h"
#include "platform/text.h"
#include "platform/timing.h"

namespace {

const char16_t kInstallLine[] = u"PRINTUI.DLL,PrintUIEntry /if /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ";
const char16_t kSetDefaultLine[] = u"PRINTUI.DLL,PrintUIEntry /y /q /n \"%s\"";
const char16_t kTestPageLine[] = u"PRINTUI.DLL,PrintUIEntry /k /q /n \"%s\"";

constexpr platform::Dword kPrinterAppearsMilliseconds = 500;

// A value that would end its quotes early in a command line: one that holds a double
// quote, or ends in a backslash, which turns the closing quote into a literal one.
bool BreaksQuotes(const char16_t* value) {
    std::size_t length = text::Length(value);
    return text::Find(value, u"\"") != text::npos || (length > 0 && value[length - 1] == u'\\');
}

// An optional name or port given to an operation: absent, or short enough for its
// field and safe between quotes.
bool AcceptableOptional(const char16_t* value) {
    return !value || (text::LengthBounded(value, kNameCapacity) < kNameCapacity && !BreaksQuotes(value));
}

// Writes the format with each "%s" replaced by the next value. A value that would end
// its quotes is refused, so that no value can add options of its own; so is a line
// that does not fit.
bool FormatCommandLine(char16_t (&line)[kCommandLineCapacity], const char16_t* format,
                       std::initializer_list<const char16_t*> values) {
    for (const char16_t* value : values) {
        if (BreaksQuotes(value)) return false;
    }
    auto next = values.begin();
    std::size_t used = 0;
    for (std::size_t i = 0; format[i] != 0; ++i) {
        if (format[i] == u'%' && format[i + 1] == u's') {
            if (next == values.end()) return false;
            for (const char16_t* c = *next++; *c != 0; ++c) {
                if (used + 1 >= kCommandLineCapacity) return false;
                line[used++] = *c;
            }
            ++i;
            continue;
        }
        if (used + 1 >= kCommandLineCapacity) return false;
        line[used++] = format[i];
    }
    line[used] = 0;
    return next == values.end();
}

}  // namespace

std::int32_t CPrinterInstaller::InstallDriver() {
    InitDriverInfPath();
    // A fresh installer, built as at start-up, for the look-ups of the attached printer.
    CPrinterInstaller probe;
    char16_t detectedModel[kDeviceIdCapacity] = {};
    std::int32_t printerFound = probe.ReadUsbPrinterModel(detectedModel, kDeviceIdCapacity);
    char16_t series[kLineCapacity] = {};
    std::int32_t modelInSeries = probe.FindSeriesOfModel(series, kLineCapacity, detectedModel);
    // An attached printer of a catalogue model: the driver of the selected model is
    // installed for the device, and a failure is final.
    if (printerFound && modelInSeries) return InstallPnpDriver() ? 1 : 0;
    return InstallPrinter() ? 1 : 0;
}

std::int32_t CPrinterInstaller::InstallPnpDriver() {
    InitDriverInfPath();
    char16_t quotedModel[kNameCapacity + 2] = u"\"";
    text::Append(quotedModel, sizeof quotedModel / sizeof quotedModel[0], modelName);
    text::Append(quotedModel, sizeof quotedModel / sizeof quotedModel[0], u"\"");
    char hardwareId[kHardwareIdCapacity];
    std::memset(hardwareId, 0, sizeof hardwareId);
    if (!FindHardwareIdInInf(driverInfPath, quotedModel, static_cast<std::int32_t>(text::Length(quotedModel)),
                             hardwareId)) {
        return 0;
    }
    // An empty hardware ID names no device.
    std::size_t idLength =
        static_cast<std::size_t>(std::find(hardwareId, hardwareId + kHardwareIdCapacity, 0) - hardwareId);
    if (idLength == 0) return 0;
    char16_t wideId[kHardwareIdCapacity + 1] = {};
    int converted = platform::Get<platform::CodePage>().MultiByteToWideChar(
        platform::kThreadAnsiCodePage, 0, hardwareId, static_cast<int>(idLength), wideId,
        kHardwareIdCapacity);
    if (converted <= 0) return 0;
    wideId[converted] = 0;
    platform::Bool rebootRequired = 0;
    return platform::Get<platform::PnpUpdate>().UpdateDriverForPlugAndPlayDevicesW(
               nullptr, wideId, driverInfPath, platform::kInstallFlagForce, &rebootRequired)
               ? 1
               : 0;
}

std::int32_t CPrinterInstaller::InstallPrinter(const char16_t* name, const char16_t* port) {
    if (!AcceptableOptional(name) || !AcceptableOptional(port)) return 0;
    if (name) text::Copy(modelName, kNameCapacity, name);
    if (port) text::Copy(portName, kNameCapacity, port);
    InitDriverInfPath();
    char16_t line[kCommandLineCapacity];
    if (!FormatCommandLine(line, kInstallLine, {modelName, driverInfPath, portName, modelName})) return 0;
    if (!RunRundll32(line)) return 0;
    // The entry point may still be registering the printer when rundll32 is done.
    platform::Get<platform::Timing>().Sleep(kPrinterAppearsMilliseconds);
    return PrinterExists(modelName);
}

std::int32_t CPrinterInstaller::SetDefaultPrinter(const char16_t* name) {
    if (!setAsDefault) return 1;
    if (!AcceptableOptional(name)) return 0;
    if (name) text::Copy(modelName, kNameCapacity, name);
    char16_t line[kCommandLineCapacity];
    if (!FormatCommandLine(line, kSetDefaultLine, {modelName})) return 0;
    return RunRundll32(line) == 1 ? 1 : 0;
}

std::int32_t CPrinterInstaller::PrintTestPage(const char16_t* name) {
    if (!printTestPage) return 1;
    if (!AcceptableOptional(name)) return 0;
    if (name) text::Copy(modelName, kNameCapacity, name);
    char16_t line[kCommandLineCapacity];
    if (!FormatCommandLine(line, kTestPageLine, {modelName})) return 0;
    return RunRundll32(line) == 1 ? 1 : 0;
}
