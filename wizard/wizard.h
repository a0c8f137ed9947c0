// The wizard frame: a property sheet that shows no Help button. While its window exists
// it owns the message boxes that are shown without an owner (the engine's, from the
// installation worker).
#pragma once

#include "wizard/framework/property_sheet.h"

class CWizard : public CPropertySheet {
public:
    CWizard(const wchar_t* caption, HWND parent, UINT selectPage);
    ~CWizard() override;

protected:
    BOOL OnInitDialog() override;
    void OnSheetEnded() override;

private:
    // Gives up the boxes if this frame's window owns them.
    void ReleaseUnownedBoxes();

    HWND ownsBoxes = nullptr;
};
