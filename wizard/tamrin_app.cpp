#include "wizard/tamrin_app.h"

#include <commctrl.h>

#include "wizard/step1_welcome.h"
#include "wizard/step2_port.h"
#include "wizard/step3_driver.h"
#include "wizard/step4_options.h"
#include "wizard/step5_finish.h"
#include "wizard/wizard.h"

BOOL CTamrinApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    CWizard wizard(L"Korvel Printer Driver Setup", nullptr, 0);
    {
        // Built in this order, destroyed in the reverse one. The user meets the driver
        // page (CStep3) before the port page (CStep2); the options page is never shown.
        CStep1 welcome;
        CStep2 port;
        CStep3 driver;
        CStep4 options;
        CStep5 finish;

        wizard.AddPage(&welcome);
        wizard.AddPage(&driver);
        wizard.AddPage(&port);
        wizard.AddPage(&finish);
        wizard.HeaderFlags() |= PSH_WIZARD;
        wizard.SetActivePage(&welcome);
        wizard.DoModal();
    }
    return FALSE;
}
