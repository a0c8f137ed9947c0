// The options page: make the printer the default one, print a test page, and the
// printers already installed under the model's name. The application builds it with
// the other pages but never shows it; the finish page sets the same two flags itself.
#pragma once

#include <string>

#include "wizard/framework/check_list_box.h"
#include "wizard/framework/property_page.h"

class CStep4 : public CPropertyPage {
public:
    CStep4();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    int defaultChoice = 0;   // 0 "是", 1 "否"
    int testPageChoice = 1;  // 0 "是", 1 "否"
    CCheckListBox installedList;
    std::wstring optionsNote;
};
