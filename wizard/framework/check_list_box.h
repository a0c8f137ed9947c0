// A list box whose entries each carry a check box: the control must be an owner-drawn
// fixed list box with strings. Once tied to the control it draws the entries itself
// (check box, then the text), and a click on an entry's check box or the space bar on
// the selected entry toggles the mark. Entries start unchecked.
#pragma once

#include "wizard/framework/list_box.h"

class CCheckListBox : public CListBox {
public:
    CCheckListBox() = default;
    ~CCheckListBox() override;

    // 1 checked, 0 unchecked; LB_ERR when there is no such entry.
    int GetCheck(int index) const;
    // LB_ERR when there is no such entry.
    int SetCheck(int index, int check);

protected:
    void Attach(HWND window) override;

private:
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    void Detach();
    void DrawEntry(const DRAWITEMSTRUCT& item) const;
    int CheckBoxWidth() const;
    void Toggle(int index);

    HWND parent = nullptr;
};
