// Step 1, the welcome page: greets the user and offers only Next.
#pragma once

#include <string>

#include "wizard/framework/property_page.h"

class CStep1 : public CPropertyPage {
public:
    CStep1();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;

private:
    std::wstring welcomeText;
};
