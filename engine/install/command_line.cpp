#include "engine/install/command_line.h"

#include "engine/limits.h"
#include "platform/text.h"

namespace engine {
namespace {

const char16_t kInstallLine[] = u"PRINTUI.DLL,PrintUIEntry /if /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ";
// The same without any message of the printer interface's own, for the unattended mode.
const char16_t kQuietInstallLine[] = u"PRINTUI.DLL,PrintUIEntry /if /q /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ";
const char16_t kInstallDriverLine[] = u"PRINTUI.DLL,PrintUIEntry /ia /m \"%s\" /f \"%s\"";
const char16_t kQuietInstallDriverLine[] = u"PRINTUI.DLL,PrintUIEntry /ia /q /m \"%s\" /f \"%s\"";
const char16_t kSetDefaultLine[] = u"PRINTUI.DLL,PrintUIEntry /y /q /n \"%s\"";
const char16_t kTestPageLine[] = u"PRINTUI.DLL,PrintUIEntry /k /q /n \"%s\"";

}  // namespace

std::optional<std::u16string> FormatCommandLine(const char16_t* format,
                                                std::initializer_list<const char16_t*> values) {
    for (const char16_t* value : values) {
        if (text::BreaksQuotes(value)) return std::nullopt;
    }
    auto next = values.begin();
    std::u16string line;
    for (std::size_t i = 0; format[i] != 0; ++i) {
        if (format[i] == u'%' && format[i + 1] == u's') {
            if (next == values.end()) return std::nullopt;
            line += *next++;
            ++i;
        } else {
            line += format[i];
        }
        if (line.size() >= kCommandLineCapacity) return std::nullopt;
    }
    if (next != values.end()) return std::nullopt;
    return line;
}

std::optional<std::u16string> InstallPrinterLine(const char16_t* name, const char16_t* infPath,
                                                 const char16_t* port) {
    return FormatCommandLine(kInstallLine, {name, infPath, port, name});
}

std::optional<std::u16string> QuietInstallPrinterLine(const char16_t* name, const char16_t* infPath,
                                                      const char16_t* port) {
    return FormatCommandLine(kQuietInstallLine, {name, infPath, port, name});
}

std::optional<std::u16string> InstallDriverLine(const char16_t* name, const char16_t* infPath, bool quiet) {
    return FormatCommandLine(quiet ? kQuietInstallDriverLine : kInstallDriverLine, {name, infPath});
}

std::optional<std::u16string> SetDefaultPrinterLine(const char16_t* name) {
    return FormatCommandLine(kSetDefaultLine, {name});
}

std::optional<std::u16string> TestPageLine(const char16_t* name) {
    return FormatCommandLine(kTestPageLine, {name});
}

}  // namespace engine
