#include "wizard/step1_welcome.h"

#include "resources/resource.h"

namespace {
const wchar_t kWelcomeText[] =
    L"欢迎使用科维打印机驱动安装向导。\n\n"
    L"若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中断它。\n\n"
    L"点击“下一步”按钮选择打印机驱动程序。";
}  // namespace

CStep1::CStep1() : CPropertyPage(IDD_WELCOME_PAGE) {}

void CStep1::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_WELCOME_TEXT, welcomeText);
}

BOOL CStep1::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    welcomeText = kWelcomeText;
    UpdateData(FALSE);
    return TRUE;
}

BOOL CStep1::OnSetActive() {
    SetWizardButtons(PSWIZB_NEXT);
    return CPropertyPage::OnSetActive();
}
