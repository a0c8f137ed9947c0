// The print spooler outside Windows: there is none. Every call fails as against a
// stopped spooler service (RPC_S_SERVER_UNAVAILABLE), so enumerations fail, no printer
// opens and no driver is deleted.
#include "platform/services.h"
#include "platform/spooler.h"

namespace platform {
namespace {

constexpr Result<Bool> kUnavailable{0, kErrorSpoolerUnavailable};

struct UnavailableSpooler final : Spooler {
    Result<Bool> EnumPrintersW(Dword, const char16_t*, Dword, unsigned char*, Dword, Dword* needed,
                               Dword* returned) override {
        return Fail(needed, returned);
    }
    Result<Bool> EnumPortsW(const char16_t*, Dword, unsigned char*, Dword, Dword* needed,
                            Dword* returned) override {
        return Fail(needed, returned);
    }
    Result<Bool> OpenPrinterW(const char16_t*, Handle* printer, const PrinterDefaults*) override {
        if (printer) *printer = nullptr;
        return kUnavailable;
    }
    Result<Bool> SetPrinterW(Handle, Dword, unsigned char*, Dword) override { return kUnavailable; }
    Result<Bool> DeletePrinter(Handle) override { return kUnavailable; }
    Result<Bool> ClosePrinter(Handle) override { return kUnavailable; }
    Result<Bool> DeletePrinterDriverExW(const char16_t*, const char16_t*, const char16_t*, Dword,
                                        Dword) override {
        return kUnavailable;
    }

private:
    static Result<Bool> Fail(Dword* needed, Dword* returned) {
        if (needed) *needed = 0;
        if (returned) *returned = 0;
        return kUnavailable;
    }
};

}  // namespace

template <>
Spooler& Default<Spooler>() {
    static UnavailableSpooler instance;
    return instance;
}

}  // namespace platform
