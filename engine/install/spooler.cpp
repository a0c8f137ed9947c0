#include "engine/install/spooler.h"

#include <algorithm>
#include <string_view>

#include "platform/memory.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/text.h"

namespace engine {
namespace {

using platform::Dword;
using OpenedPrinter = platform::ScopedHandle<platform::PrinterTraits>;

// An enumeration buffer, exactly as large as the spooler asked for.
struct EnumerationBuffer {
    platform::ScopedHandle<platform::MemoryBlockTraits> block;
    Dword size = 0;

    bool Allocate(Dword bytes) {
        block.reset(platform::Get<platform::Memory>().Allocate(bytes));
        size = block ? bytes : 0;
        return block.IsValid();
    }
    unsigned char* data() const { return static_cast<unsigned char*>(block.get()); }
};

// The records of one enumeration, walked in spooler order.
template <class Record>
class Records {
public:
    // Only records that lie wholly inside the buffer are walked, whatever count the
    // spooler reported.
    Records(const EnumerationBuffer& buffer, Dword count)
        : first_(reinterpret_cast<const Record*>(buffer.data())),
          count_(buffer.data() ? std::min<std::size_t>(count, buffer.size / sizeof(Record)) : 0) {}
    const Record* begin() const { return first_; }
    const Record* end() const { return first_ + count_; }

private:
    const Record* first_;
    std::size_t count_;
};

// The two-call enumeration: ask for the size, allocate it, enumerate into it. `call`
// makes the spooler call with everything but the buffer fixed. A printer or port added
// between the two calls makes the second ask for more: the pair is then tried again,
// three times in all. On success the buffer holds `count` records; a failure has the
// code of the step that failed.
template <class Call>
platform::Outcome Enumerate(Call call, EnumerationBuffer& buffer, Dword& count) {
    constexpr int kAttempts = 3;
    platform::Outcome listed;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Dword needed = 0;
        count = 0;
        platform::Result<platform::Bool> sizing = call(nullptr, 0, &needed, &count);
        if (!sizing.ok()) {
            if (sizing.error != platform::kErrorInsufficientBuffer) return platform::OutcomeOf(sizing);
            if (!buffer.Allocate(needed)) return platform::Outcome{false, platform::kErrorNotEnoughMemory};
        }
        // After a first call that succeeded there is nothing to list; the second call is
        // then made without a buffer again.
        listed = platform::OutcomeOf(call(buffer.data(), buffer.size, &needed, &count));
        if (listed.ok() || listed.error != platform::kErrorInsufficientBuffer) return listed;
    }
    count = 0;
    return listed;
}

platform::Outcome EnumerateLocalPrinters(EnumerationBuffer& buffer, Dword& count) {
    return Enumerate(
        [](unsigned char* data, Dword size, Dword* needed, Dword* returned) {
            return platform::Get<platform::Spooler>().EnumPrintersW(platform::kPrinterEnumLocal, nullptr, 2,
                                                                    data, size, needed, returned);
        },
        buffer, count);
}

// A copy of model M is named M, a blank, "(" and at least one more character, as in
// "M (2)". Anything else after M (as in "M(2)" or in the other model "M0 (2)") is not
// a copy. The spooler knows a printer by its name without regard to case ("korvel kv-100"
// opens "KORVEL KV-100", and the two cannot both exist), so names are compared so too.
bool IsCopyName(const char16_t* printer, const char16_t* model, std::size_t modelLength) {
    return text::LengthBounded(printer, modelLength + 3) > modelLength + 2 &&
           text::StartsWithNoCase(printer, model) && printer[modelLength] == u' ' &&
           printer[modelLength + 1] == u'(';
}

}  // namespace

Listing<StringList> ListPortNames() {
    EnumerationBuffer buffer;
    Dword count = 0;
    platform::Outcome listed = Enumerate(
        [](unsigned char* data, Dword size, Dword* needed, Dword* returned) {
            return platform::Get<platform::Spooler>().EnumPortsW(nullptr, 2, data, size, needed, returned);
        },
        buffer, count);
    if (!listed.ok()) return {std::nullopt, listed.error};
    StringList names;
    for (const auto& port : Records<platform::PortInfo2>(buffer, count)) {
        if (port.portName) names.emplace_back(port.portName);
    }
    return {std::move(names)};
}

Listing<std::vector<InstalledDriver>> ListInstalledDrivers(const char16_t* environment) {
    EnumerationBuffer buffer;
    Dword count = 0;
    platform::Outcome listed = Enumerate(
        [environment](unsigned char* data, Dword size, Dword* needed, Dword* returned) {
            return platform::Get<platform::Spooler>().EnumPrinterDriversW(nullptr, environment, 8, data, size, needed,
                                                                          returned);
        },
        buffer, count);
    if (!listed.ok()) return {std::nullopt, listed.error};
    std::vector<InstalledDriver> drivers;
    for (const auto& driver : Records<platform::DriverInfo8>(buffer, count)) {
        if (driver.name) drivers.push_back({driver.name, driver.infPath ? driver.infPath : u""});
    }
    return {std::move(drivers)};
}

Listing<std::vector<LocalPrinter>> ListLocalPrinters() {
    EnumerationBuffer buffer;
    Dword count = 0;
    platform::Outcome listed = EnumerateLocalPrinters(buffer, count);
    if (!listed.ok()) return {std::nullopt, listed.error};
    std::vector<LocalPrinter> printers;
    for (const auto& printer : Records<platform::PrinterInfo2>(buffer, count)) {
        if (!printer.printerName) continue;
        printers.push_back({printer.printerName, printer.driverName ? printer.driverName : u"",
                            printer.portName ? printer.portName : u""});
    }
    return {std::move(printers)};
}

bool UsesPort(const LocalPrinter& printer, const char16_t* port) {
    std::u16string_view ports = printer.ports;
    while (!ports.empty()) {
        const std::size_t comma = std::min(ports.find(u','), ports.size());
        if (text::EqualNoCase(std::u16string(ports.substr(0, comma)).c_str(), port)) return true;
        ports.remove_prefix(std::min(comma + 1, ports.size()));
    }
    return false;
}

StringList PrintersOnPortWithDriver(const std::vector<LocalPrinter>& now, const char16_t* port,
                                    const char16_t* driver) {
    StringList found;
    for (const LocalPrinter& printer : now) {
        if (UsesPort(printer, port) && text::EqualNoCase(printer.driver.c_str(), driver)) found.push_back(printer.name);
    }
    return found;
}

bool AnyPrinterHasDriver(const char16_t* driver) {
    Listing<std::vector<LocalPrinter>> printers = ListLocalPrinters();
    return printers.ok() && std::any_of(printers.value->begin(), printers.value->end(), [&](const LocalPrinter& p) {
               return text::EqualNoCase(p.driver.c_str(), driver);
           });
}

bool ListsPrinter(const std::vector<LocalPrinter>& printers, const std::u16string& name) {
    return std::any_of(printers.begin(), printers.end(), [&](const LocalPrinter& printer) {
        return text::EqualNoCase(printer.name.c_str(), name.c_str());
    });
}

bool IsPrinterOfModel(const char16_t* name, const char16_t* model) {
    return text::EqualNoCase(name, model) || IsCopyName(name, model, text::Length(model));
}

Listing<StringList> FindPrintersOfModel(const char16_t* model) {
    Listing<std::vector<LocalPrinter>> printers = ListLocalPrinters();
    if (!printers.ok()) return {std::nullopt, printers.error};
    StringList names;
    for (const LocalPrinter& printer : *printers.value) {
        if (IsPrinterOfModel(printer.name.c_str(), model)) names.push_back(printer.name);
    }
    return {std::move(names)};
}

bool PrinterExists(const char16_t* name) {
    // The whole name must match, without regard to case: a copy such as "Alpha (2)" or
    // another model such as "Alpha0" is not the printer "Alpha", and no printer has an
    // empty name.
    if (!name || name[0] == 0) return false;
    EnumerationBuffer buffer;
    Dword count = 0;
    if (!EnumerateLocalPrinters(buffer, count).ok()) return false;
    for (const auto& printer : Records<platform::PrinterInfo2>(buffer, count)) {
        if (printer.printerName && text::EqualNoCase(printer.printerName, name)) return true;
    }
    return false;
}

bool PurgePrinter(platform::Handle printer) {
    auto& spooler = platform::Get<platform::Spooler>();
    return spooler.SetPrinterW(printer, 0, nullptr, platform::kPrinterControlPurge).ok();
}

platform::Outcome RemovePrinter(const char16_t* name) {
    auto& spooler = platform::Get<platform::Spooler>();
    // The queue goes when its last handle is closed, and until then it still uses the
    // driver: the printer is closed before anyone deletes the driver. A failed purge
    // does not stop the deletion.
    platform::Handle opened = nullptr;
    platform::PrinterDefaults defaults{nullptr, nullptr, platform::kPrinterAllAccess};
    platform::Result<platform::Bool> open = spooler.OpenPrinterW(name, &opened, &defaults);
    if (!open.ok()) return platform::OutcomeOf(open);
    OpenedPrinter printer(opened);
    PurgePrinter(printer.get());
    return platform::OutcomeOf(spooler.DeletePrinter(printer.get()));
}

platform::Outcome DeleteDriver(const char16_t* name, const char16_t* environment) {
    return platform::OutcomeOf(platform::Get<platform::Spooler>().DeletePrinterDriverExW(
        nullptr, environment, name, platform::kDeleteUnusedFiles, platform::kDriverVersion3));
}

PrinterRemoval RemovePrinterAndDriver(const char16_t* name, const char16_t* environment) {
    PrinterRemoval removal;
    removal.printer = RemovePrinter(name);
    removal.driver = DeleteDriver(name, environment);
    return removal;
}

}  // namespace engine
