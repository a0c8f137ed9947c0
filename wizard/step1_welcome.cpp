#include "wizard/step1_welcome.h"

#include "engine/messages/messages.h"
#include "resources/resource.h"
#include "wizard/utf16.h"

CStep1::CStep1() : CPropertyPage(IDD_WELCOME_PAGE) {}

void CStep1::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_WELCOME_TEXT, welcomeText);
}

BOOL CStep1::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    welcomeText = Wide(engine::ShownText(engine::MessageId::WelcomeText));
    UpdateData(FALSE);
    return TRUE;
}

BOOL CStep1::OnSetActive() {
    SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}
