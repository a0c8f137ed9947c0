#include "engine/install/installation_flow.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/install/command_line.h"
#include "engine/install/device_matching.h"
#include "engine/install/installation.h"
#include "engine/machine/process_account.h"
#include "engine/install/rundll32.h"
#include "engine/install/spooler.h"
#include "platform/pnp_update.h"
#include "platform/scoped_handle.h"
#include "platform/services.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "usb/device_rescan.h"

namespace engine {

using text::Quoted;
namespace {

// Opens and closes the printer of exactly this name: whether it is there, and whether
// its handle was closed (a printer still open is only marked for deletion).
bool PrinterIsThere(const std::u16string& name, bool& closed) {
    closed = false;
    // An empty name would open the print server instead of a printer.
    if (name.empty()) return false;
    platform::Spooler& spooler = platform::Get<platform::Spooler>();
    platform::Handle opened = nullptr;
    platform::ScopedHandle<platform::PrinterTraits> printer(
        spooler.OpenPrinterW(name.c_str(), &opened, nullptr).ok() ? opened : nullptr);
    if (!printer) return false;
    closed = spooler.ClosePrinter(printer.take()).ok();
    return true;
}

enum class ModelRemoval {
    NotListed,  // the printers could not be listed: nothing was removed
    NoneThere,
    Removed,    // each printer of the model was asked to go (RunRemoval sees whether they went)
    RemovedRestartRequired,  // so, and Windows must restart to finish taking the package off
};

// HRESULT_FROM_WIN32(ERROR_PRINTER_DRIVER_PACKAGE_IN_USE): a printer driver of another
// environment, or a queue, still uses the package.
constexpr platform::Dword kPackageInUse = 0x80070BC7;

// Without DiUninstallDriver (before Windows 10 1703): the devices of the model's hardware
// ID removed with their driver (DiUninstallDevice), to be found anew when plugged in. True
// when Windows must restart to finish it.
bool RemoveModelDevices(const InstallRequest& request, FlowLog& log) {
    HardwareIdLookup lookup = HardwareIdForModel(request.driverInf.c_str(), request.printerName.c_str(), request.system);
    if (!lookup.id) {
        log.Write(u"This Windows has no DiUninstallDriver, and the model's hardware ID is not known (" + lookup.failure +
                  u"): its devices keep the driver until they are removed");
        return false;
    }
    log.Write(u"This Windows has no DiUninstallDriver: removing the devices of the hardware ID " + Quoted(*lookup.id) +
              u" with their driver (DiUninstallDevice)");
    const DeviceRemoval removal = UninstallDevicesOf(*lookup.id);
    if (removal.callMissing) {
        log.Write(u"This Windows has no DiUninstallDevice either: the devices keep the driver until they are removed");
    } else if (removal.error != 0) {
        log.WriteError(u"A device of the model was not removed (the removal goes on)", removal.error);
    }
    log.Write(text::Decimal(removal.removed) + u" device(s) of the model removed");
    return removal.restartRequired;
}

// The deleted driver's package out of the driver store for good, unless another installed
// driver comes from it: first off the devices it is installed on (DiUninstallDriver,
// keeping it in the store), then out of the store (DeletePrinterDriverPackage). Each step
// is logged, and none fails the removal. True when Windows must restart to finish it.
bool RemovePackageOf(const std::u16string& driver, const std::vector<InstalledDriver>& installed,
                     const InstallRequest& request, FlowLog& log) {
    const bool dryRun = request.dryRun;
    auto same = [](const std::u16string& a, const std::u16string& b) { return text::EqualNoCase(a.c_str(), b.c_str()); };
    auto own = std::find_if(installed.begin(), installed.end(), [&](const InstalledDriver& d) { return same(d.name, driver); });
    if (own == installed.end() || own->infPath.empty()) {
        log.Write(u"The driver store does not say which package the driver " + Quoted(driver) +
                  u" came from: no package is removed");
        return false;
    }
    const std::u16string& inf = own->infPath;
    auto keeper = std::find_if(installed.begin(), installed.end(), [&](const InstalledDriver& d) {
        return !same(d.name, driver) && same(d.infPath, inf);
    });
    if (keeper != installed.end()) {
        log.Write(u"Keeping the driver package " + Quoted(inf) + u": the driver " + Quoted(keeper->name) +
                  u" comes from it too");
        return false;
    }
    bool restart = false;
    log.Write(u"Taking the driver package " + Quoted(inf) + u" off the model's devices (DiUninstallDriver)");
    if (!dryRun) {
        platform::Bool reboot = 0;
        platform::Result<platform::Bool> off = platform::Get<platform::PnpUpdate>().DiUninstallDriverW(
            nullptr, inf.c_str(), platform::kDiurflagNoRemoveInf, &reboot);
        if (off.ok()) {
            restart = reboot != 0;
            if (restart) log.Write(u"Windows must restart to finish taking the package off the devices");
        } else if (off.error == platform::kErrorProcNotFound) {
            restart = RemoveModelDevices(request, log);
        } else {
            log.WriteError(u"The driver package was not taken off the devices (the removal goes on)", off.error);
        }
    }
    log.Write(u"Deleting the driver package " + Quoted(inf) + u" from the driver store (DeletePrinterDriverPackage)");
    if (dryRun) return restart;
    platform::Result<platform::Bool> deleted = platform::Get<platform::Spooler>().DeletePrinterDriverPackageW(
        nullptr, inf.c_str(), SpoolerEnvironment(request.system.architecture));
    if (deleted.ok()) {
        log.Write(u"The driver package is out of the driver store: a printer plugged in again gets no driver from it");
    } else if (deleted.error == platform::kErrorProcNotFound) {
        log.Write(u"This Windows has no DeletePrinterDriverPackage: the driver package stays in the driver store");
    } else if (deleted.error == kPackageInUse) {
        log.WriteError(u"Windows keeps the driver package: it is in use", deleted.error);
    } else {
        log.WriteError(u"The driver package was not deleted (the removal goes on)", deleted.error);
    }
    return restart;
}

// The one removal policy, for the installation and for /uninstall: the printers of the
// model (its own name and its copies) are removed, and the model's own driver (the
// printer name without regard to case) is deleted when no other printer uses it. The
// drivers of other names stay. A driver that cannot be deleted is logged and does not
// stop the removal.
// forGood, the request of /uninstall (not given for the installation's removal): the
// deleted driver's package goes too (RemovePackageOf).
ModelRemoval RemovePrintersOfModel(const InstallRequest& request, FlowLog& log, bool forGood) {
    const std::u16string& printerName = request.printerName;
    const bool dryRun = request.dryRun;
    const char16_t* environment = SpoolerEnvironment(request.system.architecture);
    Listing<std::vector<LocalPrinter>> printers = ListLocalPrinters();
    if (!printers.ok()) {
        log.WriteError(u"The printers cannot be listed", printers.error);
        return ModelRemoval::NotListed;
    }
    std::vector<LocalPrinter> ofModel, others;
    for (LocalPrinter& printer : *printers.value) {
        (IsPrinterOfModel(printer.name.c_str(), printerName.c_str()) ? ofModel : others)
            .push_back(std::move(printer));
    }
    if (ofModel.empty()) {
        log.Write(u"No printer of " + Quoted(printerName) + u" is installed: nothing to remove");
        return ModelRemoval::NoneThere;
    }
    // The model's own driver is the one its INF's model line describes: the printer name
    // with the maker in capitals, which the spooler compares without regard to case, as
    // the printer name itself. A printer of the model bound to another driver (another
    // maker's, or one of its own names) takes the printer away, never that driver.
    auto sameDriver = [](const std::u16string& a, const std::u16string& b) {
        return text::EqualNoCase(a.c_str(), b.c_str());
    };
    // The packages the drivers come from, read before any driver is deleted.
    std::vector<InstalledDriver> installed;
    if (forGood) {
        Listing<std::vector<InstalledDriver>> listed = ListInstalledDrivers(environment);
        if (listed.ok()) {
            installed = std::move(*listed.value);
        } else {
            log.WriteError(u"The printer drivers and their packages cannot be listed", listed.error);
        }
    }
    bool restart = false;
    std::vector<std::u16string> drivers;
    for (const LocalPrinter& printer : ofModel) {
        log.Write(u"Removing the printer " + Quoted(printer.name));
        if (!printer.driver.empty() && !sameDriver(printer.driver, printerName)) {
            log.Write(u"Keeping the driver " + Quoted(printer.driver) + u" of " + Quoted(printer.name) +
                      u": it is not the model's own");
        } else if (!printer.driver.empty() &&
                   std::none_of(drivers.begin(), drivers.end(),
                                [&](const std::u16string& d) { return sameDriver(d, printer.driver); })) {
            drivers.push_back(printer.driver);
        }
        if (dryRun) continue;
        platform::Outcome removed = RemovePrinter(printer.name.c_str());
        if (!removed.ok())
            log.WriteError(u"The printer " + Quoted(printer.name) + u" was not deleted", removed.error);
    }
    for (const std::u16string& driver : drivers) {
        auto user = std::find_if(others.begin(), others.end(),
                                 [&](const LocalPrinter& other) { return sameDriver(other.driver, driver); });
        if (user != others.end()) {
            log.Write(u"Keeping the driver " + Quoted(driver) + u": the printer " + Quoted(user->name) +
                      u" uses it");
            continue;
        }
        log.Write(u"Deleting the driver " + Quoted(driver));
        platform::Outcome deleted = dryRun ? platform::Outcome{true} : DeleteDriver(driver.c_str(), environment);
        if (!deleted.ok()) {
            log.WriteError(u"The driver " + Quoted(driver) + u" was not deleted (the removal goes on)",
                           deleted.error);
        } else if (forGood) {
            restart |= RemovePackageOf(driver, installed, request, log);
        }
    }
    return restart ? ModelRemoval::RemovedRestartRequired : ModelRemoval::Removed;
}

}  // namespace

InstallationSteps::InstallationSteps(const InstallRequest& request, FlowObserver& observer, SetupLog& log)
    : request_(request),
      observer_(observer),
      log_(log, request.dryRun),
      name_(request.printerName.c_str()),
      installedName_(request.printerName) {}

void InstallationSteps::RemoveOldPrinters() {
    bool closed = false;
    if (!PrinterIsThere(request_.printerName, closed)) {
        log_.Write(u"No printer named " + Quoted(request_.printerName) + u" is installed: nothing to remove");
        return;
    }
    observer_.OnStep(FlowStep::Removing);
    if (RemovePrintersOfModel(request_, log_, false) == ModelRemoval::NotListed) return;
    if (closed) {
        log_.Write(u"Re-scanning the devices");
        if (!request_.dryRun && !usb::RescanDevices()) log_.Write(u"The devices could not be re-scanned");
    }
}

bool InstallationSteps::InstallDriver() {
    if (request_.printerName.empty()) {
        log_.Write(u"No printer name: nothing can be installed");
        return false;
    }
    const RouteChoice& choice = request_.route;
    if (choice.route == InstallRoute::PlugAndPlay) {
        log_.Write(u"The plug-and-play route: " + choice.reason);
        return UpdateAttachedPrinter(choice.usbPort);
    }
    log_.Write(u"The printer interface route: " + choice.reason);
    return InstallQueue();
}

bool InstallationSteps::UpdateAttachedPrinter(const std::u16string& usbPort) {
    const char16_t* inf = request_.driverInf.c_str();
    HardwareIdLookup lookup = HardwareIdForModel(inf, name_, request_.system);
    if (!lookup.id) {
        log_.Write(u"The driver " + Quoted(request_.driverInf) + u" gives no hardware ID for " +
                   Quoted(request_.printerName) + u": " + lookup.failure);
        return false;
    }
    const std::optional<std::u16string>& hardwareId = lookup.id;
    log_.Write(u"Updating the driver of the attached printer: hardware ID " + Quoted(*hardwareId) + u", driver " +
               Quoted(request_.driverInf));
    if (request_.dryRun) return true;
    // The queue Windows makes is told from those already there by their names.
    Listing<std::vector<LocalPrinter>> before = ListLocalPrinters();
    if (!before.ok()) {
        log_.WriteError(u"The printers cannot be listed before the update", before.error);
        return false;
    }
    PnpUpdateResult update = UpdateDriverForDevices(inf, *hardwareId, !request_.quiet);
    if (!update.ok()) {
        log_.WriteError(u"The plug-and-play update failed", update.error);
        return false;
    }
    restartRequired_ = update.value == DriverUpdate::UpdatedRestartRequired;
    return AwaitQueue(*before.value, usbPort);
}

bool InstallationSteps::AwaitQueue(const std::vector<LocalPrinter>& before, const std::u16string& usbPort) {
    log_.Write(u"Waiting for the printer on the port " + Quoted(usbPort) + u" with the driver " +
               Quoted(request_.printerName));
    StringList queues = QueuesOnPortWithDriver(usbPort.c_str(), name_);
    if (!queues.empty()) {
        const std::u16string& queue = queues.front();
        log_.Write(ListsPrinter(before, queue) ? u"Windows gave the printer " + Quoted(queue) + u" on the port " +
                                                     Quoted(usbPort) + u" the driver " + Quoted(request_.printerName)
                                               : u"Windows made the printer " + Quoted(queue) + u" on the port " +
                                                     Quoted(usbPort));
        for (std::size_t i = 1; i < queues.size(); ++i) {
            log_.Write(u"The printer " + Quoted(queues[i]) + u" on the same port has the driver too; " +
                       Quoted(queue) + u" is the one installed");
        }
        installedName_ = queue;
        return true;
    }
    if (restartRequired_) {
        // The update is done; the queue comes with the restart the update asked for.
        log_.Write(u"No new printer on the port " + Quoted(usbPort) +
                   u" yet: Windows makes it after the restart");
        installedName_.clear();
        return true;
    }
    log_.Write(u"No printer on the port " + Quoted(usbPort) + u" has the driver " + Quoted(request_.printerName) +
               u" within 30 s of the plug-and-play update");
    return false;
}

bool InstallationSteps::InstallQueue() {
    log_.Write(u"Installing the printer " + Quoted(request_.printerName) + u" on the port " + Quoted(request_.port));
    std::optional<std::u16string> line =
        request_.quiet ? QuietInstallPrinterLine(name_, request_.driverInf.c_str(), request_.port.c_str())
                       : InstallPrinterLine(name_, request_.driverInf.c_str(), request_.port.c_str());
    if (!RunCommand(line)) return false;
    if (!request_.dryRun && !PrinterAppeared(name_)) {
        log_.Write(u"The printer " + Quoted(request_.printerName) + u" is not there after the printer interface ended");
        return false;
    }
    return true;
}

bool InstallationSteps::StagePackage() {
    if (request_.driverInf.empty()) {
        log_.Write(u"No driver package: nothing can be installed");
        return false;
    }
    if (request_.driverCatalog.empty()) {
        log_.Write(u"The driver package " + Quoted(request_.driverInf) +
                   u" names no catalog file (CatalogFile): it is unsigned");
    }
    log_.Write(u"Staging the driver package " + Quoted(request_.driverInf));
    if (request_.dryRun) return true;
    platform::Outcome staged = StageDriverPackage(request_.driverInf.c_str(), stagedInf_);
    if (staged.ok()) return true;
    log_.WriteError(LogText(MessageId::PackageNotStagedDetail), staged.error);
    observer_.OnPackageNotStaged(staged.error);
    return false;
}

std::optional<FlowResult> InstallationSteps::UpdateInPlace() {
    Listing<std::vector<LocalPrinter>> printers = ListLocalPrinters();
    if (!printers.ok()) {
        log_.WriteError(u"The printers cannot be listed", printers.error);
        return FlowResult::Failed;
    }
    StringList kept;
    for (const LocalPrinter& printer : *printers.value) {
        if (text::EqualNoCase(printer.driver.c_str(), name_)) kept.push_back(printer.name);
    }
    if (kept.empty()) {
        log_.Write(u"No printer has the driver " + Quoted(request_.printerName) +
                   u": the model is installed as without /update");
        return std::nullopt;
    }
    for (const std::u16string& printer : kept) {
        log_.Write(u"Keeping the printer " + Quoted(printer) +
                   u" as it is (queue, name, port, settings, sharing, permissions, jobs); its driver is updated");
    }
    observer_.OnStep(FlowStep::Installing);
    if (!InstallDriverFromPackage()) return FlowResult::Failed;
    installedName_ = kept.front();
    if (request_.route.route == InstallRoute::PlugAndPlay) {
        // Device and queue from one package: the attached printer's device is updated too.
        log_.Write(u"The attached printer gets the plug-and-play update too: " + request_.route.reason);
        if (!UpdateAttachedPrinter(request_.route.usbPort)) return FlowResult::Failed;
    }
    if (request_.makeDefault) log_.Write(u"The default printer stays as it is: an update keeps the printers it finds");
    if (request_.testPage && !installedName_.empty()) PrintTestPage();
    return restartRequired_ ? FlowResult::DoneRestartRequired : FlowResult::Done;
}

bool InstallationSteps::InstallDriverFromPackage() {
    log_.Write(u"Installing the driver " + Quoted(request_.printerName) + u" from its staged package " +
               Quoted(stagedInf_.empty() ? request_.driverInf : stagedInf_) +
               u" with all its files (InstallPrinterDriverFromPackage, IPDFP_COPY_ALL_FILES)");
    if (request_.dryRun) return true;
    if (!stagedInf_.empty()) {
        platform::Result<platform::Bool> installed = platform::Get<platform::Spooler>().InstallPrinterDriverFromPackageW(
            nullptr, stagedInf_.c_str(), name_, SpoolerEnvironment(request_.system.architecture),
            platform::kCopyAllFiles);
        if (installed.ok()) return true;
        if (installed.error != platform::kErrorProcNotFound) {
            log_.WriteError(u"The driver was not installed from its package", installed.error);
            return false;
        }
    }
    log_.Write(u"InstallPrinterDriverFromPackage cannot be used here (no such call, or no staged copy): the "
               u"printer interface installs the driver");
    return RunCommand(InstallDriverLine(name_, request_.driverInf.c_str(), request_.quiet));
}

bool InstallationSteps::MakeDefault() {
    if (installedName_.empty()) {
        log_.Write(u"No printer to make the default printer before the restart");
        return false;
    }
    const ProcessAccount account = CheckProcessAccount();
    if (account.runsAs == RunsAs::LocalSystem) {
        log_.Write(u"Not making " + Quoted(installedName_) +
                   u" the default printer: the program runs as LocalSystem (S-1-5-18), whose default printer "
                   u"no user sees");
        return true;
    }
    if (account.runsAs == RunsAs::Unknown) {
        log_.WriteError(
            u"The account the program runs as cannot be told; the default printer is set as asked",
            account.error);
    }
    log_.Write(u"Making " + Quoted(installedName_) + u" the default printer");
    return RunCommand(SetDefaultPrinterLine(installedName_.c_str()));
}

bool InstallationSteps::PrintTestPage() {
    if (installedName_.empty()) {
        log_.Write(u"No printer to print a test page on before the restart");
        return false;
    }
    log_.Write(u"Printing a test page on " + Quoted(installedName_));
    return RunCommand(TestPageLine(installedName_.c_str()));
}

// Logs the command line and starts it; false when there is none or it did not start.
bool InstallationSteps::RunCommand(const std::optional<std::u16string>& line) {
    if (!line) {
        log_.Write(u"A value does not fit the printer interface's command line");
        return false;
    }
    log_.Write(u"rundll32.exe " + *line);
    if (request_.dryRun) return true;
    platform::Outcome start = StartRundll32(line->c_str(), request_.quiet);
    if (start.ok()) return true;
    const MessageId why = StartFailureMessage(start.error);
    // The text the wizard shows in its box, then the system's own for the code.
    log_.WriteError(u"rundll32.exe could not be started: " + ShownText(why), start.error);
    observer_.OnStartFailure(why);
    return false;
}

FlowResult RunInstallation(const InstallRequest& request, FlowObserver& observer, SetupLog& setupLog) {
    InstallationSteps steps(request, observer, setupLog);
    FlowLog log(setupLog, request.dryRun);
    // The package first: one that Windows refuses, or would ask about, ends the run while
    // the old printers are still there.
    if (!steps.StagePackage()) {
        observer.OnStep(FlowStep::Failed);
        log.Write(LogText(MessageId::StatusFailed) + u"; nothing was removed");
        return FlowResult::Failed;
    }
    if (request.update) {
        if (std::optional<FlowResult> updated = steps.UpdateInPlace()) {
            observer.OnStep(*updated == FlowResult::Failed ? FlowStep::Failed : FlowStep::Installed);
            log.Write(*updated == FlowResult::Failed ? LogText(MessageId::StatusFailed) : u"Updated");
            return *updated;
        }
    }
    steps.RemoveOldPrinters();
    observer.OnStep(FlowStep::Installing);
    if (!steps.InstallDriver()) {
        observer.OnStep(FlowStep::Failed);
        log.Write(LogText(MessageId::StatusFailed));
        return FlowResult::Failed;
    }
    // As the wizard always has: the printer is installed whether or not these work.
    if (request.makeDefault) steps.MakeDefault();
    if (request.testPage) steps.PrintTestPage();
    observer.OnStep(FlowStep::Installed);
    log.Write(LogText(steps.RestartRequired() ? MessageId::InstalledRestartBox : MessageId::InstalledBox));
    return steps.RestartRequired() ? FlowResult::DoneRestartRequired : FlowResult::Done;
}

FlowResult RunRemoval(const InstallRequest& request, SetupLog& setupLog) {
    const std::u16string& printerName = request.printerName;
    const bool dryRun = request.dryRun;
    FlowLog log(setupLog, dryRun);
    bool restart = false;
    switch (RemovePrintersOfModel(request, log, true)) {
        case ModelRemoval::NotListed: return FlowResult::Failed;
        case ModelRemoval::NoneThere: return FlowResult::Done;
        case ModelRemoval::Removed: break;
        case ModelRemoval::RemovedRestartRequired: restart = true; break;
    }
    if (dryRun) return FlowResult::Done;
    Listing<StringList> left = FindPrintersOfModel(printerName.c_str());
    if (!left.ok()) {
        log.WriteError(u"The printers cannot be listed after the removal", left.error);
        return FlowResult::Failed;
    }
    for (const std::u16string& name : *left.value)
        log.Write(u"The printer " + Quoted(name) + u" is still there");
    if (!left.value->empty()) return FlowResult::Failed;
    log.Write(restart ? u"Removed; Windows must restart to finish it" : u"Removed");
    return restart ? FlowResult::DoneRestartRequired : FlowResult::Done;
}

}  // namespace engine
