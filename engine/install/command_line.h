// The command lines given to the printer user-interface entry point through rundll32.
// Each value stands between double quotes; a value that could leave them is refused, so
// that no value can add options of its own.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

namespace engine {

// The format with each "%s" replaced by the next value; nothing when a value would
// leave its quotes, the values do not match the placeholders, or the line does not fit
// the command-line buffer.
std::optional<std::u16string> FormatCommandLine(const char16_t* format,
                                                std::initializer_list<const char16_t*> values);

std::optional<std::u16string> InstallPrinterLine(const char16_t* name, const char16_t* infPath,
                                                 const char16_t* port);
// As InstallPrinterLine, with /q: the printer interface shows no message of its own.
std::optional<std::u16string> QuietInstallPrinterLine(const char16_t* name, const char16_t* infPath,
                                                      const char16_t* port);
// The printer driver of that name installed from the INF, without a printer (/ia); quiet
// adds /q.
std::optional<std::u16string> InstallDriverLine(const char16_t* name, const char16_t* infPath, bool quiet);
std::optional<std::u16string> SetDefaultPrinterLine(const char16_t* name);
std::optional<std::u16string> TestPageLine(const char16_t* name);

}  // namespace engine
