#include "wizard/step2_port.h"

#include "resources/resource.h"

CStep2::CStep2() : CPropertyPage(IDD_PORT_PAGE) {}

BOOL CStep2::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}
