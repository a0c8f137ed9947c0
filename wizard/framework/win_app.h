// The application object: InitInstance sets the program up; when it returns FALSE the
// program ends without a message loop of its own.
#pragma once

#include <windows.h>

#include <string>

class CWinApp {
public:
    CWinApp() = default;
    virtual ~CWinApp() = default;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // The process's exit code.
    virtual int ExitInstance();
    // InitInstance, then the message loop if it asked for one; the exit code.
    int Run();

    // The per-user settings key under which the program would keep its settings. The
    // name is only remembered; nothing is read or written under it.
    void SetRegistryKey(const wchar_t* company);
    const std::wstring& RegistryKey() const { return registryKey; }

private:
    std::wstring registryKey;
};
