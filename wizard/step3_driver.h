// Step 2 of the wizard, the driver selection page: the printer model to install. The
// models of the attached USB printers that the catalogue lists are offered alone;
// otherwise the models of the series "KV系列" are listed, after a warning (with the
// choice to leave the setup) when printers are attached and none of their models is
// listed.
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
    // Refills the list: the attached printers' listed models alone, or the series'
    // models; the first entry selected.
    void FillModelList();

    std::wstring modelPrompt;
    CListBox modelList;
    // Nonzero when an attached printer's model is listed in the series.
    std::int32_t usbModelListed = 0;
};
