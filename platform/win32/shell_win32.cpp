// Starting a program through the shell: forwarders to shell32 and kernel32.
#include <windows.h>
// The headers below build on windows.h.
#include <objbase.h>
#include <shellapi.h>

#include "platform/services.h"
#include "platform/shell.h"
#include "platform/win32/casts.h"
#include "platform/win32/last_error.h"

namespace platform {
namespace {

class Win32Shell final : public Shell {
public:
    Result<Bool> ShellExecuteExW(ShellExecuteInfo* info) override {
        SHELLEXECUTEINFOW record{};
        record.cbSize = sizeof record;
        record.fMask = info->mask;
        record.hwnd = static_cast<HWND>(info->window);
        record.lpVerb = AsWide(info->verb);
        record.lpFile = AsWide(info->file);
        record.lpParameters = AsWide(info->parameters);
        record.lpDirectory = AsWide(info->directory);
        record.nShow = info->show;
        // The shell may hand a start to extensions that need COM on this thread.
        HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        // Taken before COM is released on this thread, which may change the last error.
        Result<Bool> started = WithLastError<Bool>(::ShellExecuteExW(&record));
        if (SUCCEEDED(com)) ::CoUninitialize();
        info->process = started.ok() ? record.hProcess : nullptr;
        return started;
    }
    unsigned GetSystemDirectoryW(char16_t* buffer, unsigned size) override {
        return ::GetSystemDirectoryW(AsWide(buffer), size);
    }
};

}  // namespace

template <>
Shell& Default<Shell>() {
    static Win32Shell instance;
    return instance;
}

}  // namespace platform
