// A page of a property sheet, built from a dialog template of this program. Pages
// derive from it and override the callbacks they need; the defaults behave like a page
// that does nothing of its own (move on, keep the wizard open, exchange no data).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "wizard/framework/data_exchange.h"
#include "wizard/framework/fitted_pictures.h"

class CPropertySheet;

// Posted to a page after its wizard-button flags: moves the keyboard focus to the frame's
// default button once the flags have taken effect. Clear of the pages' own WM_USER
// messages.
constexpr UINT WM_FOCUS_DEFAULT_BUTTON = WM_APP + 0x100;

class CPropertyPage {
public:
    explicit CPropertyPage(UINT templateId);
    virtual ~CPropertyPage();
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    UINT TemplateId() const { return templateId; }
    HWND GetSafeHwnd() const { return hwnd; }
    // The sheet the page was added to, or nullptr.
    CPropertySheet* GetSheet() const { return sheet; }
    // The frame window, the page's parent while the sheet runs.
    HWND GetParentFrame() const { return hwnd ? ::GetParent(hwnd) : nullptr; }

    // A page handle for the sheet, or nullptr. The caller owns it until it hands it over.
    // The page's template is the one of the language given (SetTemplateLanguage), found
    // by the program itself rather than left to the resource loader's fallback.
    HPROPSHEETPAGE CreatePageHandle();
    // The language of the templates of the pages made from now on.
    static void SetTemplateLanguage(LANGID language) { templateLanguage = language; }

protected:
    // Ties controls to members through DDX_ calls.
    virtual void DoDataExchange(CDataExchange* dx);
    // The dialog exists: pushes the members into the controls. TRUE: default focus.
    virtual BOOL OnInitDialog();
    // The page becomes the current one; FALSE refuses the activation. Every activation
    // after the first pushes the members into the controls again.
    virtual BOOL OnSetActive();
    // The page is left; reads the controls back. FALSE keeps the page.
    virtual BOOL OnKillActive();
    // 0 moves to the neighbouring page, -1 stays, a template id jumps to that page.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // TRUE lets the wizard close; FALSE keeps it open.
    virtual BOOL OnWizardFinish();
    // The sheet is about to be cancelled (Cancel, Esc, the close box, Alt+F4 or WM_CLOSE,
    // and EndDialog). TRUE lets it close; FALSE keeps it open.
    virtual BOOL OnQueryCancel();
    virtual void OnTimer(UINT_PTR timerId);
    // Every other message of the page (commands, private messages, owner drawing,
    // notifications of its controls, and any with the sheet's PSN_ codes that another
    // window than the sheet sent). Return true when handled, with its result.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The four calls below need the page's dialog: without it they do nothing (FALSE, 0)
    // and stop a debug build.
    // Runs DoDataExchange: TRUE reads the controls, FALSE fills them.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Posts the PSWIZB_ flags to the frame; they take effect after the current message.
    // Then the keyboard focus moves to the button they make the default (Finish, else
    // Next), if it is enabled: the common controls leave the focus nowhere when they
    // disable or hide the button that had it.
    void SetWizardButtons(DWORD flags);
    UINT_PTR SetTimer(UINT_PTR timerId, UINT elapseMs);
    BOOL KillTimer(UINT_PTR timerId);

private:
    friend class CPropertySheet;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The sheet's PSN_ notifications that map to the callbacks above; header comes from
    // the sheet.
    bool HandleSheetNotification(const NMHDR& header, LRESULT& result);
    void FocusDefaultButton();

    UINT templateId;
    static inline LANGID templateLanguage = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    HWND hwnd = nullptr;
    CPropertySheet* sheet = nullptr;
    bool firstActivation = true;
    // The template's stretched pictures, drawn at the page's DPI.
    CFittedPictures pictures;
};
