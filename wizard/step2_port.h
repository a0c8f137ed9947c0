// Step 3 of the wizard, the port page: the port the printer is attached to.
#pragma once

#include "wizard/framework/property_page.h"

class CStep2 : public CPropertyPage {
public:
    CStep2();

protected:
    BOOL OnSetActive() override;
};
