// Spooler operations: the ports and printers the spooler knows, and the removal of a
// printer with its jobs and its driver. No operation shows a message; spooler failures
// become the results.
#pragma once

#include <optional>

#include "engine/limits.h"
#include "platform/types.h"

namespace engine {

// The names of the ports the spooler lists, in its order; nothing when it cannot list.
std::optional<StringList> ListPortNames();
// The local printers of the model: the model's own name and its copies ("M (2)").
// Nothing when the spooler cannot list its printers.
std::optional<StringList> FindPrintersOfModel(const char16_t* model);
// A local printer of exactly this name exists.
bool PrinterExists(const char16_t* name);
bool PurgePrinter(platform::Handle printer);
// Purges, deletes and closes the printer, then deletes the driver of the same name;
// true when the driver was deleted.
bool DeletePrinterAndDriver(const char16_t* name);

}  // namespace engine
