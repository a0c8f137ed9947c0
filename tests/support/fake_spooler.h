// A spooler in memory for the tests of the spooler operations: printers with their
// drivers, ports, and scripted failures, each with the error code the spooler gives.
// Enumerations fill the caller's buffer as the platform's spooler does (records first,
// then the strings they point to) and keep its sizing rule (ERROR_INSUFFICIENT_BUFFER and
// the bytes needed).
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/text.h"

class FakeSpooler final : public platform::Spooler {
public:
    using Dword = platform::Dword;
    using Result = platform::Result<platform::Bool>;

    struct Printer {
        std::u16string name;
        std::u16string driver;
        std::u16string port;
        bool deletePending = false;
        int openHandles = 0;
    };

    // How the next enumerations of printers or ports go.
    struct EnumerationScript {
        // The sizing call is the one without a buffer; the call with a buffer fills it.
        bool firstCallFails = false;
        Dword firstCallError = 0;
        bool secondCallFails = false;
        Dword secondCallError = 0;
    };

    static constexpr Dword kErrorInvalidPrinterName = 1801;
    static constexpr Dword kErrorUnknownPrinterDriver = 1797;
    static constexpr Dword kErrorPrinterDriverInUse = 3001;

    std::vector<Printer> printers;
    std::vector<std::u16string> ports;
    std::set<std::u16string> drivers;
    EnumerationScript printerScript;
    EnumerationScript portScript;
    // Printers added by someone else, one right after each sizing call of the printers'
    // enumeration: the call with the buffer then needs more than the sizing call said.
    std::vector<std::u16string> arrivals;
    bool openFails = false, purgeFails = false, deleteFails = false, closeFails = false;

    // Called at each sizing call of a printer enumeration, before the spooler answers: a
    // printer that appears meanwhile.
    std::function<void()> onListing;

    // Every call in order, as short texts ("EnumPrinters 2 2 size=0", "Open Alpha", ...).
    std::vector<std::string> calls;
    platform::PrinterDefaults lastDefaults{};
    bool lastDefaultsGiven = false;

    void AddPrinter(const std::u16string& name, const std::u16string& driver,
                    const std::u16string& port = u"") {
        printers.push_back({name, driver, port});
        drivers.insert(driver);
    }
    void AddPrinter(const std::u16string& name) { AddPrinter(name, name); }
    bool HasPrinter(const std::u16string& name) const {
        for (const auto& p : printers) {
            if (p.name == name) return true;
        }
        return false;
    }

    Result EnumPrintersW(Dword flags, const char16_t* name, Dword level, unsigned char* buffer, Dword size,
                         Dword* needed, Dword* returned) override {
        calls.push_back("EnumPrinters flags=" + std::to_string(flags) + " name=" + (name ? "given" : "none") +
                        " level=" + std::to_string(level) + Buffer(buffer, size));
        // A listing is a sizing call and a reading call; both are made without a buffer
        // when there is nothing to list.
        const bool sizing = !readingNext_;
        if (sizing && onListing) onListing();
        std::vector<std::u16string> names, driverNames, portNames;
        for (const auto& p : printers) {
            names.push_back(p.name);
            driverNames.push_back(p.driver);
            portNames.push_back(p.port);
        }
        Result result = Fill<platform::PrinterInfo2>(
            names, driverNames, portNames, printerScript, buffer, size, needed, returned,
            [](platform::PrinterInfo2& r, char16_t* name, char16_t* driver, char16_t* port) {
                r.printerName = name;
                r.driverName = driver;
                r.portName = port;
            });
        readingNext_ = sizing && (result.ok() || result.error == platform::kErrorInsufficientBuffer);
        if (buffer == nullptr && !arrivals.empty()) {
            AddPrinter(arrivals.front());
            arrivals.erase(arrivals.begin());
        }
        return result;
    }

    Result EnumPortsW(const char16_t* server, Dword level, unsigned char* buffer, Dword size, Dword* needed,
                      Dword* returned) override {
        calls.push_back(std::string("EnumPorts server=") + (server ? "given" : "none") +
                        " level=" + std::to_string(level) + Buffer(buffer, size));
        return Fill<platform::PortInfo2>(
            ports, {}, {}, portScript, buffer, size, needed, returned,
            [](platform::PortInfo2& r, char16_t* s, char16_t*, char16_t*) { r.portName = s; });
    }

    Result OpenPrinterW(const char16_t* name, platform::Handle* handle,
                        const platform::PrinterDefaults* defaults) override {
        calls.push_back("Open " + Narrow(name));
        lastDefaultsGiven = defaults != nullptr;
        if (defaults) lastDefaults = *defaults;
        *handle = nullptr;
        if (openFails) return Fail(5);
        for (std::size_t i = 0; i < printers.size(); ++i) {
            if (SameName(printers[i].name, name) && !printers[i].deletePending) {
                ++printers[i].openHandles;
                *handle = HandleOf(i);
                return kDone;
            }
        }
        return Fail(kErrorInvalidPrinterName);
    }

    Result SetPrinterW(platform::Handle handle, Dword level, unsigned char* data, Dword command) override {
        calls.push_back("SetPrinter level=" + std::to_string(level) + " data=" + (data ? "given" : "none") +
                        " command=" + std::to_string(command) + Which(handle));
        return purgeFails ? Fail(5) : kDone;
    }

    Result DeletePrinter(platform::Handle handle) override {
        calls.push_back("DeletePrinter" + Which(handle));
        if (deleteFails) return Fail(5);
        printers[IndexOf(handle)].deletePending = true;
        return kDone;
    }

    Result ClosePrinter(platform::Handle handle) override {
        calls.push_back("ClosePrinter" + Which(handle));
        std::size_t i = IndexOf(handle);
        // The handle is released even when the call reports a failure.
        if (--printers[i].openHandles == 0 && printers[i].deletePending) {
            printers.erase(printers.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return closeFails ? Fail(6) : kDone;
    }

    Result DeletePrinterDriverExW(const char16_t* server, const char16_t* environment, const char16_t* driver,
                                  Dword deleteFlag, Dword versionFlag) override {
        calls.push_back("DeleteDriver " + Narrow(driver) + " server=" + (server ? "given" : "none") +
                        " environment=" + (environment ? "given" : "none") +
                        " flags=" + std::to_string(deleteFlag) + "," + std::to_string(versionFlag));
        if (!drivers.count(driver)) return Fail(kErrorUnknownPrinterDriver);
        for (const auto& p : printers) {
            if (p.driver == driver) return Fail(kErrorPrinterDriverInUse);
        }
        drivers.erase(driver);
        return kDone;
    }

    // The driver-store INF each driver comes from, as EnumPrinterDriversW's level 8 gives it
    // (pszInfPath; empty where not set); DeletePrinterDriverPackageW recorded in `calls`
    // and ending with packageDeleteResult (0 is S_OK, else the HRESULT).
    std::map<std::u16string, std::u16string> packages;
    Dword packageDeleteResult = 0;
    Result EnumPrinterDriversW(const char16_t*, const char16_t*, Dword level, unsigned char* buffer, Dword size,
                               Dword* needed, Dword* returned) override {
        std::vector<std::u16string> names(drivers.begin(), drivers.end()), infs;
        for (const auto& name : names) infs.push_back(packages.count(name) ? packages[name] : u"");
        if (level != 8) return Fail(124);  // ERROR_INVALID_LEVEL
        return Fill<platform::DriverInfo8>(names, infs, {}, EnumerationScript{}, buffer, size, needed, returned,
                                           [](platform::DriverInfo8& r, char16_t* name, char16_t* inf, char16_t*) {
                                               r.name = name;
                                               r.infPath = inf;
                                           });
    }
    Result DeletePrinterDriverPackageW(const char16_t*, const char16_t* inf, const char16_t*) override {
        calls.push_back("DeletePackage " + Narrow(inf));
        return packageDeleteResult == 0 ? kDone : Fail(packageDeleteResult);
    }

    // As InstallPrinterDriverFromPackageW: 0 is S_OK, any other value the HRESULT (or
    // ERROR_PROC_NOT_FOUND for a Windows without the call), recorded in `calls`.
    Dword packageResult = platform::kErrorProcNotFound;
    Result InstallPrinterDriverFromPackageW(const char16_t* server, const char16_t* inf, const char16_t* driver,
                                            const char16_t* environment, Dword flags) override {
        calls.push_back("InstallFromPackage " + Narrow(inf) + " " + Narrow(driver) + " server=" +
                        (server ? "given" : "none") + " environment=" + (environment ? "given" : "none") +
                        " flags=" + std::to_string(flags));
        return packageResult == 0 ? kDone : Fail(packageResult);
    }

    static std::string Narrow(const char16_t* s) {
        std::string out;
        for (; s && *s; ++s) out.push_back(*s < 0x80 ? static_cast<char>(*s) : '?');
        return out;
    }

private:
    static constexpr Result kDone{1, 0};
    bool readingNext_ = false;
    platform::ScopedService<platform::Spooler> scope_{*this};

    static Result Fail(Dword error) { return Result{0, error}; }
    // Copies the string to `strings` and moves it past the copy; where the copy went.
    static char16_t* Place(const std::u16string& value, char16_t*& strings) {
        char16_t* placed = strings;
        std::memcpy(strings, value.c_str(), (value.size() + 1) * sizeof(char16_t));
        strings += value.size() + 1;
        return placed;
    }
    // The spooler finds a printer by its name without regard to case.
    static bool SameName(const std::u16string& a, const char16_t* b) {
        return text::EqualNoCase(a.c_str(), b);
    }
    static std::string Buffer(const unsigned char* buffer, Dword size) {
        return std::string(" buffer=") + (buffer ? "given" : "none") + " size=" + std::to_string(size);
    }
    static platform::Handle HandleOf(std::size_t index) {
        return reinterpret_cast<platform::Handle>(index + 1);
    }
    static std::size_t IndexOf(platform::Handle handle) { return reinterpret_cast<std::size_t>(handle) - 1; }
    std::string Which(platform::Handle handle) const {
        std::size_t i = IndexOf(handle);
        return " " + (i < printers.size() ? Narrow(printers[i].name.c_str()) : std::string("?"));
    }

    // Each record gets a name and, when they are given, a second and a third string (its
    // driver and its port).
    template <class Record, class SetStrings>
    Result Fill(const std::vector<std::u16string>& names, const std::vector<std::u16string>& seconds,
                const std::vector<std::u16string>& thirds, const EnumerationScript& script,
                unsigned char* buffer, Dword size, Dword* needed, Dword* returned, SetStrings setStrings) {
        bool first = buffer == nullptr;
        *returned = 0;
        std::size_t bytes = names.size() * sizeof(Record);
        for (const auto& n : names) bytes += (n.size() + 1) * sizeof(char16_t);
        for (const auto& n : seconds) bytes += (n.size() + 1) * sizeof(char16_t);
        for (const auto& n : thirds) bytes += (n.size() + 1) * sizeof(char16_t);
        *needed = static_cast<Dword>(bytes);
        if (first && script.firstCallFails) return Fail(script.firstCallError);
        if (!first && script.secondCallFails) return Fail(script.secondCallError);
        if (size < bytes) return Fail(platform::kErrorInsufficientBuffer);
        if (names.empty()) return kDone;
        std::memset(buffer, 0, bytes);
        auto* records = reinterpret_cast<Record*>(buffer);
        auto* strings = reinterpret_cast<char16_t*>(buffer + names.size() * sizeof(Record));
        for (std::size_t i = 0; i < names.size(); ++i) {
            char16_t* name = strings;
            std::memcpy(strings, names[i].c_str(), (names[i].size() + 1) * sizeof(char16_t));
            strings += names[i].size() + 1;
            char16_t* second = i < seconds.size() ? Place(seconds[i], strings) : nullptr;
            char16_t* third = i < thirds.size() ? Place(thirds[i], strings) : nullptr;
            setStrings(records[i], name, second, third);
        }
        *returned = static_cast<Dword>(names.size());
        return kDone;
    }
};
