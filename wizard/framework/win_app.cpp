#include "wizard/framework/win_app.h"

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(const wchar_t* company) { registryKey = company ? company : L""; }

int CWinApp::Run() {
    if (!InitInstance()) return ExitInstance();
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ExitInstance();
    return static_cast<int>(message.wParam);
}
