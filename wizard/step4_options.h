// The options page (default printer, test page): built with the others, never shown.
#pragma once

#include "wizard/framework/property_page.h"

class CStep4 : public CPropertyPage {
public:
    CStep4();

protected:
    BOOL OnSetActive() override;
};
