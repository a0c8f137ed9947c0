#include "wizard/wizard.h"

CWizard::CWizard(const wchar_t* caption, HWND parent, UINT selectPage)
    : CPropertySheet(caption, parent, selectPage) {}

BOOL CWizard::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    if (HWND help = ::GetDlgItem(GetSafeHwnd(), IDHELP)) ::ShowWindow(help, SW_HIDE);
    return result;
}
