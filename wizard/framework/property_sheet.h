// A modal property sheet (a wizard after SetWizardMode) over the common controls'
// PropertySheetW, holding pages that it does not own.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class CPropertyPage;

class CPropertySheet {
public:
    CPropertySheet(const wchar_t* caption, HWND parent = nullptr, UINT selectPage = 0);
    virtual ~CPropertySheet();
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Appends a page to the sequence; the page must outlive the sheet's run.
    void AddPage(CPropertyPage* page);
    // Before the sheet runs: the page to start with. While it runs: shows that page.
    BOOL SetActivePage(CPropertyPage* page);
    // Before the sheet runs: shows it as a wizard (Back, Next and Finish instead of tabs).
    void SetWizardMode() { headerFlags |= PSH_WIZARD; }

    // Runs the sheet until it closes. The code given to EndDialog if a page ended it,
    // otherwise IDOK when finished, IDCANCEL when cancelled, -1 when the sheet could not
    // be shown.
    INT_PTR DoModal();
    // Ends the running sheet as if Cancel had been pressed; DoModal returns endCode.
    void EndDialog(int endCode);
    // Posts the PSWIZB_ flags; they take effect after the current message.
    void SetWizardButtons(DWORD flags);

    HWND GetSafeHwnd() const { return hwnd; }

protected:
    // The frame window exists and the common controls have set it up.
    virtual BOOL OnInitDialog();
    // The frame window is gone (or was never made); DoModal returns next.
    virtual void OnSheetEnded();

private:
    static int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lParam);
    int IndexOf(const CPropertyPage* page) const;

    std::wstring caption;
    HWND parent;
    UINT startPage;
    DWORD headerFlags = PSH_DEFAULT;
    std::vector<CPropertyPage*> pages;
    HWND hwnd = nullptr;
    bool ended = false;
    int endCode = 0;
};
