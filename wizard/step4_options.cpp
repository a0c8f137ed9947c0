#include "wizard/step4_options.h"

#include "resources/resource.h"

CStep4::CStep4() : CPropertyPage(IDD_OPTIONS_PAGE) {}

BOOL CStep4::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}
