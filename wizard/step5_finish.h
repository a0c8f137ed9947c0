// Step 4 of the wizard, the finish page: the summary whose Finish button installs.
#pragma once

#include "wizard/framework/property_page.h"

class CStep5 : public CPropertyPage {
public:
    CStep5();

protected:
    BOOL OnSetActive() override;
};
