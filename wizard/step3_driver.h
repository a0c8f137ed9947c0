// Step 2 of the wizard, the driver selection page: the printer model to install.
#pragma once

#include "wizard/framework/property_page.h"

class CStep3 : public CPropertyPage {
public:
    CStep3();

protected:
    BOOL OnSetActive() override;
};
