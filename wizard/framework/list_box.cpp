#include "wizard/framework/list_box.h"

#include "wizard/framework/require_window.h"

CListBox::~CListBox() = default;

int CListBox::AddString(const wchar_t* text) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return LB_ERR;
    return static_cast<int>(::SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

void CListBox::ResetContent() {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (hwnd) ::SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
}

int CListBox::DeleteString(int index) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return LB_ERR;
    return static_cast<int>(::SendMessageW(hwnd, LB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

int CListBox::GetCount() const {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    return hwnd ? static_cast<int>(::SendMessageW(hwnd, LB_GETCOUNT, 0, 0)) : 0;
}

int CListBox::SetCurSel(int index) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return LB_ERR;
    return static_cast<int>(::SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CListBox::GetCurSel() const {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    return hwnd ? static_cast<int>(::SendMessageW(hwnd, LB_GETCURSEL, 0, 0)) : LB_ERR;
}

bool CListBox::GetText(int index, std::wstring& text) const {
    text.clear();
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return false;
    LRESULT length = ::SendMessageW(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return false;
    // LB_GETTEXT writes the whole entry and its zero; the buffer is sized from its length.
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied =
        ::SendMessageW(hwnd, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied == LB_ERR || copied < 0 || copied > length) return false;
    buffer.resize(static_cast<std::size_t>(copied));
    text = std::move(buffer);
    return true;
}

int CListBox::FindString(int startAfter, const wchar_t* prefix) const {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return LB_ERR;
    // LB_FINDSTRING: the first entry that begins with the text, case ignored.
    return static_cast<int>(::SendMessageW(hwnd, LB_FINDSTRING, static_cast<WPARAM>(startAfter),
                                           reinterpret_cast<LPARAM>(prefix)));
}

void CListBox::ShowWindow(int command) const {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (hwnd) ::ShowWindow(hwnd, command);
}

void DDX_Control(CDataExchange* dx, int id, CListBox& control) {
    HWND window = dx->Control(id);
    if (window != control.hwnd) control.Attach(window);
}
