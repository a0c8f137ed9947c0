#include "wizard/wizard.h"

#include "platform/message_box.h"

CWizard::CWizard(const wchar_t* caption, HWND parent, UINT selectPage)
    : CPropertySheet(caption, parent, selectPage) {}

CWizard::~CWizard() { ReleaseUnownedBoxes(); }

BOOL CWizard::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    if (HWND help = ::GetDlgItem(GetSafeHwnd(), IDHELP)) ::ShowWindow(help, SW_HIDE);
    ownsBoxes = GetSafeHwnd();
    platform::SetOwnerForUnowned(ownsBoxes);
    return result;
}

void CWizard::OnSheetEnded() { ReleaseUnownedBoxes(); }

void CWizard::ReleaseUnownedBoxes() {
    if (!ownsBoxes) return;
    // A box given a window that no longer exists would not be shown at all.
    if (platform::OwnerForUnowned() == ownsBoxes) platform::SetOwnerForUnowned(nullptr);
    ownsBoxes = nullptr;
}
