// The print spooler outside Windows: there is none. Every call fails as against a
// stopped spooler service (RPC_S_SERVER_UNAVAILABLE), so enumerations fail, no printer
// opens and no driver is deleted.
#include "platform/services.h"
#include "platform/spooler.h"

namespace platform {
namespace {

struct UnavailableSpooler final : Spooler {
    Bool EnumPrintersW(Dword, const char16_t*, Dword, unsigned char*, Dword, Dword* needed,
                       Dword* returned) override {
        return Fail(needed, returned);
    }
    Bool EnumPortsW(const char16_t*, Dword, unsigned char*, Dword, Dword* needed, Dword* returned) override {
        return Fail(needed, returned);
    }
    Bool OpenPrinterW(const char16_t*, Handle* printer, const PrinterDefaults*) override {
        if (printer) *printer = nullptr;
        return 0;
    }
    Bool SetPrinterW(Handle, Dword, unsigned char*, Dword) override { return 0; }
    Bool DeletePrinter(Handle) override { return 0; }
    Bool ClosePrinter(Handle) override { return 0; }
    Bool DeletePrinterDriverExW(const char16_t*, const char16_t*, const char16_t*, Dword, Dword) override {
        return 0;
    }
    Dword GetLastError() override { return kErrorSpoolerUnavailable; }

private:
    static Bool Fail(Dword* needed, Dword* returned) {
        if (needed) *needed = 0;
        if (returned) *returned = 0;
        return 0;
    }
};

}  // namespace

template <>
Spooler& Default<Spooler>() {
    static UnavailableSpooler instance;
    return instance;
}

}  // namespace platform
