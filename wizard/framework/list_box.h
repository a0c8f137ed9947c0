// A list box control of a page, used through its messages. DDX_Control ties it to the
// control of the page's dialog; until then (and after the dialog is gone) a call is a
// mistake that stops a debug build, and in a release build does nothing and reports an
// empty list.
#pragma once

#include <windows.h>

#include <string>

#include "wizard/framework/data_exchange.h"

class CListBox {
public:
    CListBox() = default;
    virtual ~CListBox();
    CListBox(const CListBox&) = delete;
    CListBox& operator=(const CListBox&) = delete;

    HWND GetSafeHwnd() const { return hwnd; }

    // The index of the new entry (added at the end of an unsorted list), or LB_ERR.
    int AddString(const wchar_t* text);
    // The number of entries left, or LB_ERR.
    int DeleteString(int index);
    // Removes every entry.
    void ResetContent();
    int GetCount() const;
    // -1 clears the selection. LB_ERR when the index is out of range.
    int SetCurSel(int index);
    // The selected entry, or LB_ERR when none is selected.
    int GetCurSel() const;
    // The entry's text; false (and an empty text) when there is no such entry.
    bool GetText(int index, std::wstring& text) const;
    // The first entry after startAfter (-1: from the top) whose text begins with prefix,
    // compared without regard to case; LB_ERR when there is none.
    int FindString(int startAfter, const wchar_t* prefix) const;
    void ShowWindow(int command) const;

protected:
    friend void DDX_Control(CDataExchange* dx, int id, CListBox& control);
    // Ties the object to a window (a different one than before, or none).
    virtual void Attach(HWND window) { hwnd = window; }

    HWND hwnd = nullptr;
};

// Ties the control id of the dialog to the list box, in either direction of the exchange.
void DDX_Control(CDataExchange* dx, int id, CListBox& control);
