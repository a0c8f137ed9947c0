// Starting a program through the shell: forwarders to shell32 and kernel32.
#include <windows.h>
// The headers below build on windows.h.
#include <objbase.h>
#include <shellapi.h>

#include "platform/services.h"
#include "platform/shell.h"

namespace platform {
namespace {

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

class Win32Shell final : public Shell {
public:
    Bool ShellExecuteExW(ShellExecuteInfo* info) override {
        SHELLEXECUTEINFOW record{};
        record.cbSize = sizeof record;
        record.fMask = info->mask;
        record.hwnd = static_cast<HWND>(info->window);
        record.lpVerb = W(info->verb);
        record.lpFile = W(info->file);
        record.lpParameters = W(info->parameters);
        record.lpDirectory = W(info->directory);
        record.nShow = info->show;
        // The shell may hand a start to extensions that need COM on this thread.
        HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        BOOL started = ::ShellExecuteExW(&record);
        DWORD error = ::GetLastError();
        if (SUCCEEDED(com)) ::CoUninitialize();
        ::SetLastError(error);
        info->process = started ? record.hProcess : nullptr;
        return started;
    }
    Dword GetLastError() override { return ::GetLastError(); }
    Dword WaitForSingleObject(Handle process, Dword milliseconds) override {
        return ::WaitForSingleObject(process, milliseconds);
    }
    Bool CloseHandle(Handle process) override { return ::CloseHandle(process); }
    unsigned GetSystemDirectoryW(char16_t* buffer, unsigned size) override {
        return ::GetSystemDirectoryW(reinterpret_cast<wchar_t*>(buffer), size);
    }
};

}  // namespace

template <>
Shell& Default<Shell>() {
    static Win32Shell instance;
    return instance;
}

}  // namespace platform
