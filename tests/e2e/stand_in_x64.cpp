// Stands in for tamrin64.exe beside the x86 program: writes the command line it was
// given (UTF-8) to the file TAMRIN_STAND_IN_LOG names and ends with the exit code
// TAMRIN_STAND_IN_EXIT gives.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain() {
    const wchar_t* line = ::GetCommandLineW();
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? static_cast<std::size_t>(bytes - 1) : 0, '\0');
    if (bytes > 1) ::WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8.data(), bytes, nullptr, nullptr);
    if (const wchar_t* log = _wgetenv(L"TAMRIN_STAND_IN_LOG")) {
        HANDLE file = ::CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
            ::CloseHandle(file);
        }
    }
    const wchar_t* code = _wgetenv(L"TAMRIN_STAND_IN_EXIT");
    return code ? _wtoi(code) : 0;
}
