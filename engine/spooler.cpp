// Spooler operations: the ports and printers the spooler knows, and the removal of a
// printer with its jobs and its driver. No operation shows a message; spooler failures
// become the results.
#include "platform/spooler.h"

#include <algorithm>

#include "engine/printer_installer.h"
#include "platform/memory.h"
#include "platform/services.h"
#include "platform/text.h"

namespace {

using platform::Dword;

// An enumeration buffer, exactly as large as the spooler asked for.
class EnumerationBuffer {
public:
    EnumerationBuffer() = default;
    ~EnumerationBuffer() {
        if (data_) platform::Get<platform::Memory>().Free(data_);
    }
    EnumerationBuffer(const EnumerationBuffer&) = delete;
    EnumerationBuffer& operator=(const EnumerationBuffer&) = delete;

    bool Allocate(Dword bytes) {
        data_ = static_cast<unsigned char*>(platform::Get<platform::Memory>().Allocate(bytes));
        size_ = data_ ? bytes : 0;
        return data_ != nullptr;
    }
    unsigned char* data() const { return data_; }
    Dword size() const { return size_; }

private:
    unsigned char* data_ = nullptr;
    Dword size_ = 0;
};

// The records of one enumeration, walked in spooler order.
template <class Record>
class Records {
public:
    // Only records that lie wholly inside the buffer are walked, whatever count the
    // spooler reported.
    Records(const EnumerationBuffer& buffer, Dword count)
        : first_(reinterpret_cast<const Record*>(buffer.data())),
          count_(buffer.data() ? std::min<std::size_t>(count, buffer.size() / sizeof(Record)) : 0) {}
    const Record* begin() const { return first_; }
    const Record* end() const { return first_ + count_; }

private:
    const Record* first_;
    std::size_t count_;
};

// The two-call enumeration: ask for the size, allocate it, enumerate into it. `call`
// makes the spooler call with everything but the buffer fixed. False when the
// enumeration failed; otherwise the buffer holds `count` records.
template <class Call>
bool Enumerate(Call call, EnumerationBuffer& buffer, Dword& count) {
    Dword needed = 0;
    count = 0;
    if (!call(nullptr, 0, &needed, &count)) {
        if (platform::Get<platform::Spooler>().GetLastError() != platform::kErrorInsufficientBuffer)
            return false;
        if (!buffer.Allocate(needed)) return false;
    }
    // After a first call that succeeded there is nothing to list; the second call is
    // then made without a buffer again.
    return call(buffer.data(), buffer.size(), &needed, &count) != 0;
}

bool EnumerateLocalPrinters(EnumerationBuffer& buffer, Dword& count) {
    return Enumerate(
        [](unsigned char* data, Dword size, Dword* needed, Dword* returned) {
            return platform::Get<platform::Spooler>().EnumPrintersW(platform::kPrinterEnumLocal, nullptr, 2,
                                                                    data, size, needed, returned);
        },
        buffer, count);
}

// A printer opened for deletion, closed when the object ends.
class OpenedPrinter {
public:
    explicit OpenedPrinter(const char16_t* name) {
        platform::PrinterDefaults defaults{nullptr, nullptr, platform::kPrinterAllAccess};
        if (!platform::Get<platform::Spooler>().OpenPrinterW(name, &handle_, &defaults)) handle_ = nullptr;
    }
    ~OpenedPrinter() {
        if (handle_) platform::Get<platform::Spooler>().ClosePrinter(handle_);
    }
    OpenedPrinter(const OpenedPrinter&) = delete;
    OpenedPrinter& operator=(const OpenedPrinter&) = delete;

    platform::Handle get() const { return handle_; }

private:
    platform::Handle handle_ = nullptr;
};

// A copy of model M is named M, a blank, "(" and at least one more character, as in
// "M (2)". Anything else after M (as in "M(2)" or in the other model "M0 (2)") is not
// a copy.
bool IsCopyName(const char16_t* printer, const char16_t* model, std::size_t modelLength) {
    return text::LengthBounded(printer, modelLength + 3) > modelLength + 2 &&
           text::StartsWith(printer, model, modelLength) && printer[modelLength] == u' ' &&
           printer[modelLength + 1] == u'(';
}

}  // namespace

std::int32_t CPrinterInstaller::EnumPortNames(StringList& list) {
    EnumerationBuffer buffer;
    Dword count = 0;
    bool listed = Enumerate(
        [](unsigned char* data, Dword size, Dword* needed, Dword* returned) {
            return platform::Get<platform::Spooler>().EnumPortsW(nullptr, 2, data, size, needed, returned);
        },
        buffer, count);
    if (!listed) return 0;
    for (const auto& port : Records<platform::PortInfo2>(buffer, count)) {
        if (port.portName) list.emplace_back(port.portName);
    }
    return 1;
}

std::int32_t CPrinterInstaller::FindInstalledPrinters(const char16_t* model, StringList& list) {
    EnumerationBuffer buffer;
    Dword count = 0;
    if (!EnumerateLocalPrinters(buffer, count)) return -1;
    std::size_t modelLength = text::Length(model);
    std::int32_t found = 0;
    for (const auto& printer : Records<platform::PrinterInfo2>(buffer, count)) {
        const char16_t* name = printer.printerName;
        if (!name) continue;
        if (text::Equal(name, model) || IsCopyName(name, model, modelLength)) {
            list.emplace_back(name);
            ++found;
        }
    }
    return found;
}

std::int32_t CPrinterInstaller::PrinterExists(const char16_t* name) {
    // The whole name must match: a copy such as "Alpha (2)" or another model such as
    // "Alpha0" is not the printer "Alpha", and no printer has an empty name.
    if (!name || name[0] == 0) return 0;
    EnumerationBuffer buffer;
    Dword count = 0;
    if (!EnumerateLocalPrinters(buffer, count)) return 0;
    for (const auto& printer : Records<platform::PrinterInfo2>(buffer, count)) {
        if (printer.printerName && text::Equal(printer.printerName, name)) return 1;
    }
    return 0;
}

std::int32_t CPrinterInstaller::PurgePrinter(platform::Handle printer) {
    return platform::Get<platform::Spooler>().SetPrinterW(printer, 0, nullptr, platform::kPrinterControlPurge)
               ? 1
               : 0;
}

std::int32_t CPrinterInstaller::DeletePrinterAndDriver(const char16_t* name) {
    {
        // The queue goes when its last handle is closed, and until then it still uses
        // the driver: the printer is closed before the driver is deleted. Failures of
        // the purge and the deletion are passed over.
        OpenedPrinter printer(name);
        if (printer.get()) {
            PurgePrinter(printer.get());
            platform::Get<platform::Spooler>().DeletePrinter(printer.get());
        }
    }
    // The printer's name is the name of its driver.
    return platform::Get<platform::Spooler>().DeletePrinterDriverExW(nullptr, nullptr, name,
                                                                     platform::kDeleteUnusedFiles, 3)
               ? 1
               : 0;
}
