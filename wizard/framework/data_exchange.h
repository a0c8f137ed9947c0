// Data exchange between a dialog's controls and the members of its page: one call per
// control in DoDataExchange, whose direction UpdateData chooses.
#pragma once

#include <windows.h>

#include <string>

class CDataExchange {
public:
    CDataExchange(HWND dialog, BOOL saveAndValidate) : dialog(dialog), saveAndValidate(saveAndValidate) {}

    HWND Control(int id) const { return ::GetDlgItem(dialog, id); }

    HWND dialog;
    // TRUE: controls -> members; FALSE: members -> controls.
    BOOL saveAndValidate;
};

// The text of control id <-> value.
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);

// A group of radio buttons, starting at control id and running on through the radio
// buttons that follow it in the dialog up to the next group: value is the index of the
// checked one (-1 when none is checked when reading; when filling, -1 clears them all).
void DDX_Radio(CDataExchange* dx, int id, int& value);
