#include "wizard/step3_driver.h"

#include "resources/resource.h"

CStep3::CStep3() : CPropertyPage(IDD_DRIVER_PAGE) {}

BOOL CStep3::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}
