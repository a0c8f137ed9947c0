#include "wizard/step4_options.h"

#include "engine/printer_installer.h"
#include "resources/resource.h"
#include "wizard/utf16.h"

CStep4::CStep4() : CPropertyPage(IDD_OPTIONS_PAGE) {}

void CStep4::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Radio(dx, IDC_DEFAULT_YES, defaultChoice);
    DDX_Radio(dx, IDC_TEST_PAGE_YES, testPageChoice);
    DDX_Control(dx, IDC_INSTALLED_LIST, installedList);
    DDX_Text(dx, IDC_OPTIONS_NOTE, optionsNote);
}

BOOL CStep4::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);

    installedList.ResetContent();
    // The whole model name (up to 199 characters): a shorter one would also list the
    // printers of other models that begin the same way.
    char16_t model[kNameCapacity] = {};
    theInstaller.GetModelName(model, kNameCapacity);
    StringList printers;
    if (theInstaller.FindInstalledPrinters(model, printers)) {
        for (const std::u16string& printer : printers) installedList.AddString(AsWide(printer.c_str()));
        installedList.SetCurSel(0);
    }
    UpdateData(FALSE);
    return CPropertyPage::OnSetActive();
}

LRESULT CStep4::OnWizardNext() {
    UpdateData(TRUE);
    // The installation always makes the printer the default one and never prints a
    // test page, whatever the choices shown here.
    theInstaller.SetDefaultFlag(1);
    theInstaller.SetTestPageFlag(0);
    return 0;
}
