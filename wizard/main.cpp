// Program entry: confine library loading to the system directory, check that the
// program's folder leaves room for the medium's file paths, then run the wizard.
#include <windows.h>

#include "engine/printer_installer.h"
#include "wizard/tamrin_app.h"

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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    LoadLibrariesFromSystemOnly();
    if (!theInstaller.ProgramDirFits()) {
        ::MessageBoxW(nullptr, kFolderTooLong, L"ERROR", MB_OK | MB_ICONERROR);
        return 1;
    }
    CTamrinApp app;
    return app.Run();
}
