// Spooler operations: the ports and printers the spooler knows, and the removal of a
// printer with its jobs and its driver. No operation shows a message; spooler failures
// become the results, each with the error code of the call that failed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/limits.h"
#include "platform/result.h"
#include "platform/types.h"

namespace engine {

struct LocalPrinter {
    std::u16string name;
    std::u16string driver;
    // As the spooler gives it: one port, or several separated by commas ("LPT1:,LPT2:").
    std::u16string ports;
};

// What the spooler lists, or nothing with the error of the call that failed (or
// ERROR_NOT_ENOUGH_MEMORY when the buffer the spooler asked for could not be had, or
// ERROR_INSUFFICIENT_BUFFER when the list grew between sizing and reading three times).
template <class T>
using Listing = platform::Result<std::optional<T>>;

// The local printers with their drivers and ports, in spooler order.
Listing<std::vector<LocalPrinter>> ListLocalPrinters();
// The printer prints to the port (port names compared without regard to case).
bool UsesPort(const LocalPrinter& printer, const char16_t* port);
// The names of the printers of `now` on the port whose driver is `driver` (compared without
// regard to case, as the spooler compares names), in spooler order.
StringList PrintersOnPortWithDriver(const std::vector<LocalPrinter>& now, const char16_t* port,
                                    const char16_t* driver);
// A local printer has the driver of this name (without regard to case).
bool AnyPrinterHasDriver(const char16_t* driver);
// The printer of this name is among them (without regard to case).
bool ListsPrinter(const std::vector<LocalPrinter>& printers, const std::u16string& name);
// The name is the model's own or one of its copies ("M (2)", not "M(2)" or "M0 (2)"),
// without regard to case as the spooler compares names (ASCII letters).
bool IsPrinterOfModel(const char16_t* name, const char16_t* model);
// An installed printer driver, of the spooler environment given (machine.h's
// SpoolerEnvironment), and the INF of the package it comes from in the driver store
// (empty when the spooler does not say).
struct InstalledDriver {
    std::u16string name;
    std::u16string infPath;
};
Listing<std::vector<InstalledDriver>> ListInstalledDrivers(const char16_t* environment);
// The names of the ports the spooler lists, in its order.
Listing<StringList> ListPortNames();
// The local printers of the model: the model's own name and its copies ("M (2)").
Listing<StringList> FindPrintersOfModel(const char16_t* model);
// A local printer of this whole name exists (without regard to case).
bool PrinterExists(const char16_t* name);
bool PurgePrinter(platform::Handle printer);
// Opens the printer with full access, purges its jobs, deletes it and closes it; done
// when the deletion succeeded (the queue goes once its last handle is closed).
platform::Outcome RemovePrinter(const char16_t* name);
// Deletes the driver of that name and spooler environment in every version, with the
// files no other driver uses.
platform::Outcome DeleteDriver(const char16_t* name, const char16_t* environment);
struct PrinterRemoval {
    platform::Outcome printer;
    platform::Outcome driver;
};
// RemovePrinter, whatever its outcome, then DeleteDriver of the same name: a printer the
// program installed has a driver of its own name.
PrinterRemoval RemovePrinterAndDriver(const char16_t* name, const char16_t* environment);

}  // namespace engine
