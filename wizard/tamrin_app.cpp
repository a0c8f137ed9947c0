#include "wizard/tamrin_app.h"

#include <commctrl.h>

#include "wizard/setup_wizard.h"

BOOL CTamrinApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    {
        CSetupWizard setup;
        setup.DoModal();
        exitCode = setup.ExitCode();
    }
    return FALSE;
}
