// Program entry: confine library loading to the system directory, read the command line,
// check that the program's folder leaves room for the medium's file paths, hand over to
// the x64 program when this x86 one runs on 64-bit Windows, make sure no other setup
// runs, then run the wizard or, with /quiet, the unattended installation or removal.
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/exit_codes.h"
#include "engine/medium_check.h"
#include "engine/printer_installer.h"
#include "engine/single_instance.h"
#include "engine/switches.h"
#include "engine/unattended.h"
#include "engine/wow64_handover.h"
#include "platform/text.h"
#include "tamrin_version.h"
#include "wizard/medium_messages.h"
#include "wizard/run_log.h"
#include "wizard/tamrin_app.h"
#include "wizard/utf16.h"

namespace {

// The program usually runs elevated from a folder that others can write to, so no
// library may ever be loaded from there. SetDefaultDllDirectories is looked up rather
// than imported: a Windows 7 without its update lacks it, and the program must still
// start there (where it falls back to taking the current folder out of the search).
void LoadLibrariesFromSystemOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                   ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

const wchar_t kCaption[] = L"Korvel Printer Driver Setup";

static_assert(kMaxProgramDirLength == 227, "the message below names the limit");
const wchar_t kFolderTooLong[] =
    L"The path of the folder this setup program was started from is too long: it must be "
    L"at most 227 characters, including the drive and the final backslash.\n\n"
    L"Copy the setup files to a folder with a shorter path and start the program again.";
const wchar_t kInvalidCommandLine[] = L"命令行无效：";
const wchar_t kUsageHint[] = L"\n\n用 /? 启动本程序可查看全部命令行参数。";
const wchar_t kAlreadyRunning[] = L"另一个打印机驱动安装程序正在运行。\n\n请等它结束后再启动本程序。";

// The ways out of the program: the reason in the log and, unless the run is quiet, in
// a box; the exit code as the log's last line.
class Run {
public:
    explicit Run(bool quiet) : quiet_(quiet) {}

    void OpenLog(const engine::SetupOptions& options) {
        if (RunLog().IsOpen()) return;
        std::optional<std::u16string> path = engine::LogPathFor(options);
        if (!path || !RunLog().Open(*path).ok()) return;
        RunLog().Write(u"Setup " TAMRIN_VERSION_TEXT " (" + std::u16string(ProgramName()) + u") started: " +
                       std::u16string(AsU16(::GetCommandLineW())));
    }

    int Fail(std::uint32_t code, const std::u16string& logText, const std::wstring& boxText,
             const wchar_t* caption, UINT icon = MB_ICONERROR) {
        RunLog().Write(logText);
        if (!quiet_) ::MessageBoxW(nullptr, boxText.c_str(), caption, MB_OK | icon);
        return End(code);
    }

    int End(std::uint32_t code) {
        RunLog().Write(u"Exit code " + text::Decimal(static_cast<long long>(code)));
        RunLog().Close();
        return static_cast<int>(code);
    }

private:
    static const char16_t* ProgramName() {
#if defined(_WIN64)
        return u"x64";
#else
        return u"x86";
#endif
    }

    bool quiet_;
};

#if !defined(_WIN64)
// On 64-bit Windows the x86 program cannot install the driver: the x64 program beside it
// does the whole run, log and instance check included. Returns true with the exit code
// when this program must end here.
bool HandOverOnWow64(Run& run, const engine::SetupOptions& options, int& exitCode) {
    engine::HandOver handOver = engine::HandOverToX64Program(theInstaller.programDir);
    std::wstring text;
    std::u16string reason;
    switch (handOver.outcome) {
        case engine::HandOverOutcome::NotNeeded:
            return false;
        case engine::HandOverOutcome::Finished:
            exitCode = static_cast<int>(handOver.exitCode);
            return true;
        case engine::HandOverOutcome::ProgramMissing:
            text =
                L"这是 64 位 Windows，需要用 64 位安装程序 tamrin64.exe 安装打印机驱动。\n\n"
                L"在本程序所在的文件夹中找不到它：\n";
            text += AsWide(handOver.program.c_str());
            text += L"\n\n请把 tamrin64.exe 复制到这个文件夹，或从完整的驱动光盘启动安装程序。";
            reason = u"64-bit Windows needs the x64 program, which is missing: " + handOver.program;
            break;
        case engine::HandOverOutcome::StartFailed:
            text = L"这是 64 位 Windows，需要用 64 位安装程序安装打印机驱动，但它无法启动：\n";
            text += AsWide(handOver.program.c_str());
            text += L"\n\n错误代码：";
            text += AsWide(text::Decimal(handOver.error).c_str());
            reason = u"64-bit Windows needs the x64 program, which cannot be started: " + handOver.program +
                     u": " + engine::ErrorText(handOver.error);
            break;
    }
    run.OpenLog(options);
    exitCode = run.Fail(engine::kExitFailed, reason, text, kCaption);
    return true;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemOnly();
    const engine::ParsedSwitches parsed = engine::ParseCommandLine(AsU16(::GetCommandLineW()));
    const engine::SetupOptions& options = parsed.options;
    Run run(options.quiet);

    if (!theInstaller.ProgramDirFits()) {
        run.OpenLog(options);
        return run.Fail(engine::kExitFailed,
                        u"The path of the program's folder is too long (at most 227 characters)",
                        kFolderTooLong, L"ERROR");
    }
#if !defined(_WIN64)
    int handedOverCode = 0;
    if (HandOverOnWow64(run, options, handedOverCode)) return handedOverCode;
#endif
    run.OpenLog(options);
    if (!parsed.accepted) {
        std::wstring text = kInvalidCommandLine;
        text += AsWide(parsed.refusal.c_str());
        text += kUsageHint;
        return run.Fail(parsed.exitCode, u"Invalid command line: " + parsed.refusal, text, kCaption);
    }
    if (engine::ModeOf(options) == engine::SetupMode::Usage) {
        RunLog().Write(engine::kUsageText);
        if (!options.quiet)
            ::MessageBoxW(nullptr, AsWide(engine::kUsageText), kCaption, MB_OK | MB_ICONINFORMATION);
        return run.End(engine::kExitSuccess);
    }

    // Held until the program ends: no second setup, wizard or quiet, runs meanwhile.
    engine::SingleInstance instance;
    if (instance.State() == engine::InstanceState::AnotherRunning) {
        return run.Fail(engine::kExitAlreadyRunning, u"Another setup is running; nothing was changed",
                        kAlreadyRunning, kCaption, MB_ICONWARNING);
    }
    if (instance.State() == engine::InstanceState::Unknown) {
        RunLog().WriteError(u"Whether another setup runs cannot be known; going on", instance.Error());
    }

    if (options.quiet) {
        engine::MediumFiles medium{theInstaller.programDir, theInstaller.printerInfoPath};
        return run.End(engine::RunUnattended(options, medium, RunLog()));
    }
    // A medium whose catalogue cannot serve ends here, before any page and any change.
    engine::CatalogueProblem problem =
        engine::CheckCatalogue(engine::Catalogue(theInstaller.printerInfoPath));
    if (problem != engine::CatalogueProblem::None) {
        return run.Fail(engine::kExitFailed,
                        u"The catalogue cannot serve: " + std::u16string(theInstaller.printerInfoPath),
                        CatalogueProblemText(problem, theInstaller.printerInfoPath), kMediumProblemCaption);
    }
    CTamrinApp app;
    return run.End(static_cast<std::uint32_t>(app.Run()));
}
