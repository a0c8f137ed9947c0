// The installer package's custom actions, a DLL in its Binary table. Windows Installer
// fails a package whose executable action does not return 0, and lets a deferred action
// call only MsiGetProperty, MsiFormatRecord, MsiGetMode, MsiGetLanguage and
// MsiProcessMessage; so the program runs from here, its outcome goes into the package's
// log, and a restart it asks for is left as a mark that an immediate action after
// InstallFinalize turns into the package's own restart request.
#include <windows.h>
// clang-format off
#include <msi.h>
#include <msiquery.h>
// clang-format on

#include <string>
#include <vector>

#include "msi/action/package_action.h"
#include "engine/run/run_program.h"
#include "engine/log/setup_log.h"
#include "platform/scoped_handle.h"
#include "platform/text.h"
#include "platform/win32/casts.h"

namespace {

using platform::AsU16;
using platform::AsWide;

// The program beside this action's architecture (tamrin64.exe or tamrin32.exe).
constexpr wchar_t kProgram[] = TAMRIN_PROGRAM_FILE;
// Where the deferred action leaves the mark of a restart the program asked for: below the
// package's own key, which only administrators and SYSTEM can write.
constexpr wchar_t kMarkKey[] = L"Software\\Korvel\\Printer Driver";
constexpr wchar_t kMarkValue[] = L"RestartRequired";
// How much of what the program appended to its log goes into the package's log.
constexpr std::size_t kLogLinesCopied = 20;
constexpr LONGLONG kLogBytesRead = 64 * 1024;

struct MsiHandleTraits {
    using handle_type = MSIHANDLE;
    static handle_type GetInvalid() { return 0; }
    static bool IsValid(handle_type h) { return h != 0; }
    static void Close(handle_type h) { MsiCloseHandle(h); }
};
using MsiRecord = platform::ScopedHandle<MsiHandleTraits>;

struct FileTraits {
    using handle_type = HANDLE;
    static handle_type GetInvalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(handle_type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(handle_type h) { CloseHandle(h); }
};
using File = platform::ScopedHandle<FileTraits>;

void Log(MSIHANDLE install, const std::wstring& text) {
    MsiRecord record(MsiCreateRecord(0));
    if (!record) return;
    MsiRecordSetStringW(record.get(), 0, text.c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record.get());
}

std::wstring Wide(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}

// A property as the two-call sizing gives it; empty when it is not set.
std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD size = 0;
    wchar_t none[1] = {};
    if (MsiGetPropertyW(install, name, none, &size) != ERROR_MORE_DATA) return {};
    std::vector<wchar_t> value(size + 1);
    size = static_cast<DWORD>(value.size());
    if (MsiGetPropertyW(install, name, value.data(), &size) != ERROR_SUCCESS) return {};
    return std::wstring(value.data(), size);
}

// The size of the log file, or -1 when there is none to read.
LONGLONG LogSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return -1;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What the program appended to its log since it had `before` bytes (its last part only).
std::string Appended(const std::wstring& path, LONGLONG before) {
    File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size)) return {};
    LONGLONG from = before < 0 ? 0 : before;
    if (size.QuadPart <= from) return {};
    if (size.QuadPart - from > kLogBytesRead) from = size.QuadPart - kLogBytesRead;
    LARGE_INTEGER at;
    at.QuadPart = from;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return {};
    std::string bytes(static_cast<std::size_t>(size.QuadPart - from), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

void SetRestartMark(bool required) {
    if (required) {
        DWORD one = 1;
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kMarkKey, kMarkValue, REG_DWORD, &one, sizeof one);
    } else {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMarkKey, kMarkValue);
    }
}

// A removal that cannot remove the printers still removes the product, and says so.
UINT Unfinished(MSIHANDLE install, engine::PackageStep step) {
    if (step == engine::PackageStep::Install) return ERROR_INSTALL_FAILURE;
    Log(install, L"Korvel printer: the printers' removal did not finish; the product is removed all the same, "
                 L"and the printers of the model stay (the lines above say which and why)");
    return ERROR_SUCCESS;
}

// Runs the program for one step of the request, and writes its command line, its outcome
// and the last lines of its log into the package's log. Empty when it did not run to its
// end (it could not be started, or was left running).
std::optional<engine::PackageVerdict> RunStep(MSIHANDLE install, engine::PackageStep step,
                                              const engine::PackageRequest& request) {
    const wchar_t* what = step == engine::PackageStep::Install ? L"installation" : L"removal";
    std::u16string program = request.folder + AsU16(kProgram);
    std::u16string line = engine::PackageCommandLine(program, step, request);
    std::wstring logPath = Wide(request.log);
    if (logPath.empty()) {
        std::optional<std::u16string> fallback = engine::DefaultLogPath();
        if (fallback) logPath = Wide(*fallback);
    }
    LONGLONG logBefore = logPath.empty() ? -1 : LogSize(logPath);

    Log(install, L"Korvel printer: " + std::wstring(what) + L": " + Wide(line));
    const engine::ActionRun action = engine::RunActionProgram(program, line);
    const engine::ProgramRun& run = action.run;
    if (action.busyAnswers > 0) {
        Log(install, L"Korvel printer: another setup was running; the program was asked again " +
                         Wide(text::Decimal(action.busyAnswers)) + L" times, every 10 s");
    }
    if (run.stillRunning) {
        Log(install, L"Korvel printer: the program did not end within 10 minutes; it is left running");
        return std::nullopt;
    }
    if (!run.started) {
        Log(install,
            L"Korvel printer: the program could not be started (error " + Wide(text::Decimal(run.error)) + L")");
        return std::nullopt;
    }
    if (!logPath.empty()) {
        for (const std::u16string& entry :
             engine::LastLogLines(Appended(logPath, logBefore), kLogLinesCopied)) {
            Log(install, L"Korvel printer log: " + Wide(entry));
        }
    }
    Log(install, L"Korvel printer: the " + std::wstring(what) + L" ended with exit code " +
                     Wide(text::Decimal(run.exitCode)) + L": " + Wide(engine::ExitCodeMeaning(run.exitCode)));
    const engine::PackageVerdict verdict = engine::JudgeExitCode(run.exitCode, step);
    if (verdict == engine::PackageVerdict::RestartRequired) SetRestartMark(true);
    return verdict;
}

std::optional<engine::PackageRequest> Request(MSIHANDLE install) {
    SetRestartMark(false);
    std::optional<engine::PackageRequest> request =
        engine::ParseActionData(AsU16(Property(install, L"CustomActionData").c_str()));
    if (!request) {
        Log(install,
            L"Korvel printer: a property holds a double quote, which no value may hold; nothing was run");
    }
    return request;
}

// The model's printer installed; at an upgrade to another model, the older model's
// printers removed after it.
UINT Install(MSIHANDLE install) {
    std::optional<engine::PackageRequest> request = Request(install);
    if (!request) return ERROR_INSTALL_FAILURE;
    if (request->model.empty()) {
        if (request->update) {
            Log(install, L"Korvel printer: no model was remembered; no printer is installed");
            return ERROR_SUCCESS;
        }
        Log(install, L"Korvel printer: MODEL is not set; nothing was run");
        return ERROR_INSTALL_FAILURE;
    }
    std::optional<engine::PackageVerdict> verdict = RunStep(install, engine::PackageStep::Install, *request);
    if (!verdict || *verdict == engine::PackageVerdict::Failed) {
        if (request->update) {
            Log(install, L"Korvel printer: the printer was not installed; the version installed before stays "
                         L"registered with its printer and its remembered model and port, though the printer's "
                         L"driver files may already be this version's");
        }
        return ERROR_INSTALL_FAILURE;
    }
    if (!request->replacedModel.empty()) {
        Log(install, L"Korvel printer: the model " + Wide(request->model) + L" replaces " +
                         Wide(request->replacedModel) + L": the printers of " + Wide(request->replacedModel) +
                         L" are removed");
        engine::PackageRequest older;
        older.folder = request->folder;
        older.model = request->replacedModel;
        older.log = request->log;
        verdict = RunStep(install, engine::PackageStep::Uninstall, older);
        if (!verdict || *verdict == engine::PackageVerdict::RemovedLeavingPrinters) {
            Log(install, L"Korvel printer: the printers of " + Wide(request->replacedModel) +
                             L" stay (the lines above say which and why); the installation goes on");
        }
    }
    return ERROR_SUCCESS;
}

// The remembered model's printers removed; a removal always finishes.
UINT Remove(MSIHANDLE install) {
    std::optional<engine::PackageRequest> request = Request(install);
    if (!request) return Unfinished(install, engine::PackageStep::Uninstall);
    if (request->model.empty()) {
        Log(install, L"Korvel printer: no model was remembered; no printer is removed");
        return ERROR_SUCCESS;
    }
    std::optional<engine::PackageVerdict> verdict = RunStep(install, engine::PackageStep::Uninstall, *request);
    if (!verdict || *verdict == engine::PackageVerdict::RemovedLeavingPrinters) {
        return Unfinished(install, engine::PackageStep::Uninstall);
    }
    return ERROR_SUCCESS;
}

// Nothing may throw into Windows Installer: a failure to allocate fails an installation
// and leaves a removal unfinished.
UINT Guarded(MSIHANDLE install, engine::PackageStep step) {
    try {
        return step == engine::PackageStep::Install ? Install(install) : Remove(install);
    } catch (...) {
        return step == engine::PackageStep::Install ? ERROR_INSTALL_FAILURE : ERROR_SUCCESS;
    }
}

}  // namespace

// Deferred, without impersonation: the program's unattended installation.
extern "C" __declspec(dllexport) UINT __stdcall InstallPrinter(MSIHANDLE install) {
    return Guarded(install, engine::PackageStep::Install);
}

// Deferred, without impersonation: the remembered model's removal.
extern "C" __declspec(dllexport) UINT __stdcall RemovePrinter(MSIHANDLE install) {
    return Guarded(install, engine::PackageStep::Uninstall);
}

// Immediate, in the product's removal before the printers': another version of the product
// installed (the newer one of an upgrade, which keeps the printers) is found and set as
// TamrinOtherVersion, which keeps the printers' removal from running. Windows sets
// UPGRADINGPRODUCTCODE in an upgrade's removal of the older version; this finds the newer
// one also where that property is not set, and after a removal started on its own.
extern "C" __declspec(dllexport) UINT __stdcall FindOtherVersion(MSIHANDLE install) {
    try {
        const std::wstring upgradeCode = Property(install, L"UpgradeCode");
        const std::wstring self = Property(install, L"ProductCode");
        wchar_t code[39] = {};
        for (DWORD i = 0; MsiEnumRelatedProductsW(upgradeCode.c_str(), 0, i, code) == ERROR_SUCCESS; ++i) {
            if (_wcsicmp(code, self.c_str()) == 0) continue;
            wchar_t version[64] = {};
            DWORD size = ARRAYSIZE(version);
            if (MsiGetProductInfoW(code, INSTALLPROPERTY_VERSIONSTRING, version, &size) != ERROR_SUCCESS) version[0] = 0;
            MsiSetPropertyW(install, L"TamrinOtherVersion", code);
            Log(install, L"Korvel printer: another version of the product (" + std::wstring(version) + L", " +
                             code + L") is installed; it keeps the printers of the model, which stay");
            return ERROR_SUCCESS;
        }
    } catch (...) {
    }
    return ERROR_SUCCESS;
}

// Immediate, after InstallFinalize: the restart the program asked for becomes the
// package's (it then ends with 3010).
extern "C" __declspec(dllexport) UINT __stdcall RequestRestart(MSIHANDLE install) {
    DWORD mark = 0;
    DWORD size = sizeof mark;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kMarkKey, kMarkValue, RRF_RT_REG_DWORD, nullptr, &mark, &size) !=
            ERROR_SUCCESS ||
        mark == 0) {
        return ERROR_SUCCESS;
    }
    MsiSetMode(install, MSIRUNMODE_REBOOTATEND, TRUE);
    Log(install, L"Korvel printer: Windows must restart before the printer is used");
    // A user's client may not delete it; the next deferred action does.
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMarkKey, kMarkValue);
    return ERROR_SUCCESS;
}
