// Program entry: confine library loading to the system directory, check that the
// program's folder leaves room for the medium's file paths, hand over to the x64
// program when this x86 one runs on 64-bit Windows, then run the wizard.
#include <windows.h>

#include <string>

#include "engine/printer_installer.h"
#include "engine/wow64_handover.h"
#include "platform/text.h"
#include "engine/medium_check.h"
#include "wizard/medium_messages.h"
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

static_assert(kMaxProgramDirLength == 227, "the message below names the limit");
const wchar_t kFolderTooLong[] =
    L"The path of the folder this setup program was started from is too long: it must be "
    L"at most 227 characters, including the drive and the final backslash.\n\n"
    L"Copy the setup files to a folder with a shorter path and start the program again.";

constexpr int kFailed = 1;

#if !defined(_WIN64)
const wchar_t kHandOverCaption[] = L"Korvel Printer Driver Setup";

// On 64-bit Windows the x86 program cannot install the driver: the x64 program beside it
// does the whole run. Returns true with the exit code when this program must end here.
bool HandOverOnWow64(int& exitCode) {
    engine::HandOver handOver = engine::HandOverToX64Program(theInstaller.programDir);
    switch (handOver.outcome) {
        case engine::HandOverOutcome::NotNeeded:
            return false;
        case engine::HandOverOutcome::Finished:
            exitCode = static_cast<int>(handOver.exitCode);
            return true;
        case engine::HandOverOutcome::ProgramMissing: {
            std::wstring text = L"这是 64 位 Windows，需要用 64 位安装程序 tamrin64.exe 安装打印机驱动。\n\n"
                                L"在本程序所在的文件夹中找不到它：\n";
            text += AsWide(handOver.program.c_str());
            text += L"\n\n请把 tamrin64.exe 复制到这个文件夹，或从完整的驱动光盘启动安装程序。";
            ::MessageBoxW(nullptr, text.c_str(), kHandOverCaption, MB_OK | MB_ICONERROR);
            break;
        }
        case engine::HandOverOutcome::StartFailed: {
            std::wstring text = L"这是 64 位 Windows，需要用 64 位安装程序安装打印机驱动，但它无法启动：\n";
            text += AsWide(handOver.program.c_str());
            text += L"\n\n错误代码：";
            text += AsWide(text::Decimal(handOver.error).c_str());
            ::MessageBoxW(nullptr, text.c_str(), kHandOverCaption, MB_OK | MB_ICONERROR);
            break;
        }
    }
    exitCode = kFailed;
    return true;
}
#endif

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemOnly();
    if (!theInstaller.ProgramDirFits()) {
        ::MessageBoxW(nullptr, kFolderTooLong, L"ERROR", MB_OK | MB_ICONERROR);
        return kFailed;
    }
#if !defined(_WIN64)
    int exitCode = 0;
    if (HandOverOnWow64(exitCode)) return exitCode;
#endif
    // A medium whose catalogue cannot serve ends here, before any page and any change.
    engine::CatalogueProblem problem =
        engine::CheckCatalogue(engine::Catalogue(theInstaller.printerInfoPath));
    if (problem != engine::CatalogueProblem::None) {
        ::MessageBoxW(nullptr, CatalogueProblemText(problem, theInstaller.printerInfoPath).c_str(),
                      kMediumProblemCaption, MB_OK | MB_ICONERROR);
        return kFailed;
    }
    CTamrinApp app;
    return app.Run();
}
