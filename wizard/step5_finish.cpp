#include "wizard/step5_finish.h"

#include "resources/resource.h"

CStep5::CStep5() : CPropertyPage(IDD_FINISH_PAGE) {}

BOOL CStep5::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_FINISH);
    return CPropertyPage::OnSetActive();
}
