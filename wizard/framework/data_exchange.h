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
