#include "wizard/framework/check_list_box.h"

#include <commctrl.h>

#include <algorithm>

#include "wizard/framework/require_window.h"

namespace {

// Pixels between the check box and the entry's edges and text.
constexpr int kMargin = 2;
// The list box's own subclass; the parent's is keyed by the object, as one dialog may
// hold several check list boxes.
constexpr UINT_PTR kListSubclass = 1;

}  // namespace

CCheckListBox::~CCheckListBox() {
    Detach();
}

int CCheckListBox::GetCheck(int index) const {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return LB_ERR;
    LRESULT data = ::SendMessageW(hwnd, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == LB_ERR) return LB_ERR;
    return data ? 1 : 0;
}

int CCheckListBox::SetCheck(int index, int check) {
    TAMRIN_REQUIRE_WINDOW(hwnd);
    if (!hwnd) return LB_ERR;
    if (::SendMessageW(hwnd, LB_SETITEMDATA, static_cast<WPARAM>(index), check ? 1 : 0) == LB_ERR)
        return LB_ERR;
    RECT entry;
    if (::SendMessageW(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&entry)) !=
        LB_ERR) {
        ::InvalidateRect(hwnd, &entry, FALSE);
    }
    return 0;
}

void CCheckListBox::Attach(HWND window) {
    Detach();
    hwnd = window;
    if (!hwnd) return;
    parent = ::GetParent(hwnd);
    // The list box was measured before it could be tied to us: make each entry as high
    // as the text of its font or the check box, whichever is higher.
    HDC dc = ::GetDC(hwnd);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd, dc);
    int height = std::max<int>(metrics.tmHeight, ::GetSystemMetrics(SM_CYMENUCHECK)) + kMargin;
    // A fixed-height list box has one height for all entries: index 0 stands for them.
    ::SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, height);

    ::SetWindowSubclass(hwnd, &CCheckListBox::ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
    // The owner draws the entries: the page's dialog gets WM_DRAWITEM for the control.
    if (parent) {
        ::SetWindowSubclass(parent, &CCheckListBox::ParentProc, reinterpret_cast<UINT_PTR>(this),
                            reinterpret_cast<DWORD_PTR>(this));
    }
}

void CCheckListBox::Detach() {
    if (hwnd) ::RemoveWindowSubclass(hwnd, &CCheckListBox::ListProc, kListSubclass);
    if (parent) ::RemoveWindowSubclass(parent, &CCheckListBox::ParentProc, reinterpret_cast<UINT_PTR>(this));
    parent = nullptr;
}

int CCheckListBox::CheckBoxWidth() const {
    RECT client;
    ::GetClientRect(hwnd, &client);
    int height = static_cast<int>(::SendMessageW(hwnd, LB_GETITEMHEIGHT, 0, 0));
    return std::min<int>(height, client.right) + kMargin;
}

void CCheckListBox::Toggle(int index) {
    int check = GetCheck(index);
    if (check == LB_ERR) return;
    SetCheck(index, !check);
}

void CCheckListBox::DrawEntry(const DRAWITEMSTRUCT& item) const {
    // An empty list box draws no entry (itemID -1), only its focus rectangle.
    if (static_cast<int>(item.itemID) < 0) {
        if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    HDC dc = item.hDC;
    RECT box = item.rcItem;
    int side = std::min<int>(box.bottom - box.top, ::GetSystemMetrics(SM_CYMENUCHECK));
    box.left += kMargin;
    box.right = box.left + side;
    box.top += (item.rcItem.bottom - item.rcItem.top - side) / 2;
    box.bottom = box.top + side;

    RECT textArea = item.rcItem;
    textArea.left = item.rcItem.left + CheckBoxWidth() + kMargin;
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    ::FillRect(dc, &textArea, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (item.itemData) state |= DFCS_CHECKED;
    ::DrawFrameControl(dc, &box, DFC_BUTTON, state);

    std::wstring text;
    GetText(static_cast<int>(item.itemID), text);
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT textRect = textArea;
    textRect.left += kMargin;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    ::SetTextColor(dc, oldColor);
    ::SetBkMode(dc, oldMode);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &textArea);
}

LRESULT CALLBACK CCheckListBox::ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<CCheckListBox*>(data);
    switch (message) {
        case WM_LBUTTONDOWN: {
            LRESULT hit = ::SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
            int x = static_cast<short>(LOWORD(lParam));
            // HIWORD set: the point lies outside every entry.
            if (!HIWORD(hit) && x < self->CheckBoxWidth()) self->Toggle(static_cast<int>(LOWORD(hit)));
            break;
        }
        case WM_CHAR:
            if (wParam == L' ') {
                int current = self->GetCurSel();
                if (current != LB_ERR) self->Toggle(current);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            self->Detach();
            self->hwnd = nullptr;
            break;
        default:
            break;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CCheckListBox::ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
    auto* self = reinterpret_cast<CCheckListBox*>(data);
    if (message == WM_DRAWITEM) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.hwndItem == self->hwnd && item.CtlType == ODT_LISTBOX) {
            self->DrawEntry(item);
            return TRUE;
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &CCheckListBox::ParentProc, reinterpret_cast<UINT_PTR>(self));
        if (self->parent == hwnd) self->parent = nullptr;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
