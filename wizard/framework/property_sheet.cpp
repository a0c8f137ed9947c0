#include "wizard/framework/property_sheet.h"

#include <memory>
#include <type_traits>

#include "wizard/framework/property_page.h"

namespace {

// The sheet whose PropertySheetW call runs on this thread; its callback carries no
// pointer of its own.
thread_local CPropertySheet* sheetStarting = nullptr;

struct PageHandleDeleter {
    void operator()(HPROPSHEETPAGE handle) const { ::DestroyPropertySheetPage(handle); }
};
using PageHandle = std::unique_ptr<std::remove_pointer_t<HPROPSHEETPAGE>, PageHandleDeleter>;

}  // namespace

CPropertySheet::CPropertySheet(const wchar_t* caption, HWND parent, UINT selectPage)
    : caption(caption ? caption : L""), parent(parent), startPage(selectPage) {}

CPropertySheet::~CPropertySheet() {
    for (CPropertyPage* page : pages) {
        if (page->sheet == this) page->sheet = nullptr;
    }
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    page->sheet = this;
    pages.push_back(page);
}

int CPropertySheet::IndexOf(const CPropertyPage* page) const {
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (pages[i] == page) return static_cast<int>(i);
    }
    return -1;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* page) {
    int index = IndexOf(page);
    if (index < 0) return FALSE;
    if (!hwnd) {
        startPage = static_cast<UINT>(index);
        return TRUE;
    }
    return static_cast<BOOL>(::SendMessageW(hwnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0));
}

INT_PTR CPropertySheet::DoModal() {
    if (pages.empty()) return -1;
    std::vector<PageHandle> owned;
    std::vector<HPROPSHEETPAGE> handles;
    for (CPropertyPage* page : pages) {
        owned.emplace_back(page->CreatePageHandle());
        if (!owned.back()) return -1;
        handles.push_back(owned.back().get());
    }

    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = headerFlags | PSH_USECALLBACK;
    header.hwndParent = parent;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(handles.size());
    header.nStartPage = startPage < header.nPages ? startPage : 0;
    header.phpage = handles.data();
    header.pfnCallback = &CPropertySheet::SheetCallback;

    ended = false;
    endCode = 0;
    sheetStarting = this;
    // From here on the sheet owns the page handles, whatever its result.
    for (PageHandle& handle : owned) (void)handle.release();
    INT_PTR result = ::PropertySheetW(&header);
    sheetStarting = nullptr;
    hwnd = nullptr;
    OnSheetEnded();

    if (ended) return endCode;
    if (result > 0) return IDOK;
    return result == 0 ? IDCANCEL : -1;
}

void CPropertySheet::EndDialog(int code) {
    if (!hwnd) return;
    ended = true;
    endCode = code;
    ::PostMessageW(hwnd, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

void CPropertySheet::SetWizardButtons(DWORD flags) {
    if (hwnd) ::PostMessageW(hwnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(flags));
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

void CPropertySheet::OnSheetEnded() {}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && sheetStarting) {
        sheetStarting->hwnd = hwnd;
        sheetStarting->OnInitDialog();
    }
    return 0;
}
