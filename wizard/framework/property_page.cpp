#include "wizard/framework/property_page.h"

#include "wizard/framework/require_window.h"

namespace {

// The result of a handled message: the dialog procedure's own return value for the few
// messages that use it, DWLP_MSGRESULT for the rest.
INT_PTR Answer(HWND hwnd, UINT message, LRESULT result) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return static_cast<INT_PTR>(result);
        default:
            ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}

}  // namespace

CPropertyPage::CPropertyPage(UINT templateId) : templateId(templateId) {}

CPropertyPage::~CPropertyPage() = default;

HPROPSHEETPAGE CPropertyPage::CreatePageHandle() {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = ::GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    // A resource stays mapped as long as its module: the template needs no freeing.
    if (HRSRC found = ::FindResourceExW(page.hInstance, RT_DIALOG, page.pszTemplate, templateLanguage)) {
        if (HGLOBAL loaded = ::LoadResource(page.hInstance, found)) {
            if (const void* dialog = ::LockResource(loaded)) {
                page.dwFlags |= PSP_DLGINDIRECT;
                page.pResource = static_cast<LPCDLGTEMPLATEW>(dialog);
            }
        }
    }
    page.pfnDlgProc = &CPropertyPage::DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    firstActivation = true;
    return ::CreatePropertySheetPageW(&page);
}

void CPropertyPage::DoDataExchange(CDataExchange*) {}

BOOL CPropertyPage::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CPropertyPage::OnSetActive() {
    if (firstActivation) {
        firstActivation = false;
    } else {
        UpdateData(FALSE);
    }
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

LRESULT CPropertyPage::OnWizardBack() { return 0; }

LRESULT CPropertyPage::OnWizardNext() { return 0; }

BOOL CPropertyPage::OnWizardFinish() { return TRUE; }

BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

void CPropertyPage::OnTimer(UINT_PTR) {}

bool CPropertyPage::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

BOOL CPropertyPage::UpdateData(BOOL saveAndValidate) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return FALSE;
    CDataExchange dx(hwnd, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CPropertyPage::SetWizardButtons(DWORD flags) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    HWND frame = GetParentFrame();
    if (!frame) return;
    ::PostMessageW(frame, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
    // Both messages go to this thread's queue, so the flags are in place when it arrives.
    ::PostMessageW(hwnd, WM_FOCUS_DEFAULT_BUTTON, 0, 0);
}

void CPropertyPage::FocusDefaultButton() {
    HWND frame = GetParentFrame();
    if (!frame) return;
    // The frame's wizard buttons (PSM_SETWIZBUTTONS): Finish takes Next's place on the
    // last page.
    constexpr int kNextButton = 0x3024;
    constexpr int kFinishButton = 0x3025;
    for (int id : {kFinishButton, kNextButton}) {
        HWND button = ::GetDlgItem(frame, id);
        if (button && ::IsWindowVisible(button) && ::IsWindowEnabled(button)) {
            // Through the dialog manager, so that the button also becomes the default one.
            ::SendMessageW(frame, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
            return;
        }
    }
}

UINT_PTR CPropertyPage::SetTimer(UINT_PTR timerId, UINT elapseMs) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    return hwnd ? ::SetTimer(hwnd, timerId, elapseMs, nullptr) : 0;
}

BOOL CPropertyPage::KillTimer(UINT_PTR timerId) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    return hwnd ? ::KillTimer(hwnd, timerId) : FALSE;
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CPropertyPage* page = nullptr;
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        page = reinterpret_cast<CPropertyPage*>(sheetPage->lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->hwnd = hwnd;
    } else {
        page = reinterpret_cast<CPropertyPage*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    return page ? page->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            pictures.Fit(hwnd);
            return OnInitDialog();
        case WM_NOTIFY: {
            // The sheet names itself in hwndFrom; the same codes from any other window
            // (a control of the page, another program) are not the sheet's.
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            LRESULT result = 0;
            if (header.hwndFrom && header.hwndFrom == GetParentFrame() && HandleSheetNotification(header, result))
                return Answer(hwnd, message, result);
            break;
        }
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            return TRUE;
        case WM_FOCUS_DEFAULT_BUTTON:
            FocusDefaultButton();
            return TRUE;
        case WM_NCDESTROY:
            pictures.Release();
            ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
            hwnd = nullptr;
            return FALSE;
        default:
            break;
    }
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) return Answer(hwnd, message, result);
    return FALSE;
}

bool CPropertyPage::HandleSheetNotification(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
        case PSN_SETACTIVE:
            // -1: the sheet moves on to the neighbouring page instead.
            result = OnSetActive() ? 0 : -1;
            break;
        case PSN_KILLACTIVE:
            // TRUE keeps the page.
            result = OnKillActive() ? FALSE : TRUE;
            break;
        case PSN_WIZBACK:
            result = OnWizardBack();
            break;
        case PSN_WIZNEXT:
            result = OnWizardNext();
            break;
        case PSN_WIZFINISH:
            // TRUE keeps the wizard open.
            result = OnWizardFinish() ? FALSE : TRUE;
            break;
        case PSN_QUERYCANCEL:
            // TRUE keeps the sheet open.
            result = OnQueryCancel() ? FALSE : TRUE;
            break;
        default:
            return false;
    }
    return true;
}
