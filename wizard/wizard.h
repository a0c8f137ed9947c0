// The wizard frame: a property sheet that shows no Help button.
#pragma once

#include "wizard/framework/property_sheet.h"

class CWizard : public CPropertySheet {
public:
    CWizard(const wchar_t* caption, HWND parent, UINT selectPage);

protected:
    BOOL OnInitDialog() override;
};
