#include "wizard/tamrin_app.h"

#include <commctrl.h>

#include "engine/messages/messages.h"
#include "wizard/framework/property_page.h"
#include "wizard/setup_wizard.h"

BOOL CTamrinApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    CPropertyPage::SetTemplateLanguage(engine::ShownLanguage() == engine::Language::Chinese
                                           ? MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
                                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    {
        CSetupWizard setup;
        setup.DoModal();
        exitCode = setup.ExitCode();
    }
    return FALSE;
}
