// Step 2 of the wizard, the driver selection page: the printer model to install. An
// attached USB printer whose model the catalogue lists is offered alone; otherwise the
// models of the series "KV系列" are listed, after a warning (with the choice to leave
// the setup) when the attached printer's model is not listed.
#pragma once

#include <cstdint>
#include <string>

#include "wizard/framework/list_box.h"
#include "wizard/framework/property_page.h"

class CStep3 : public CPropertyPage {
public:
    CStep3();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    // Refills the list: the attached printer's model alone, or the series' models; the
    // first entry selected.
    void FillModelList();

    std::wstring modelPrompt;
    CListBox modelList;
    // Nonzero when the attached printer's model is listed in the series.
    std::int32_t usbModelListed = 0;
};
