// Step 3 of the wizard, the port page: the port the printer is installed on. When the
// USB port of the attached printer of the chosen model is found, the page states it and
// hides the list; with several printers of that model it proposes the first one's port
// in the list; otherwise the user picks one of the spooler's ports ("LPT1:" proposed).
#pragma once

#include <cstdint>
#include <string>

#include "engine/limits.h"
#include "wizard/framework/list_box.h"
#include "wizard/framework/property_page.h"

class CStep2 : public CPropertyPage {
public:
    CStep2();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    // Refills the list with the spooler's ports (or the fixed ones when the spooler
    // cannot list them) and the USB ports found, and selects the first USB port, else
    // "LPT1:", or else the first entry.
    void FillPortList(const StringList& usbPorts);

    std::wstring portPrompt;
    CListBox portList;
    // The port found by USB detection, or the list entry chosen on Next.
    std::wstring detectedPort;
    // 1 when the latest activation found the USB port.
    std::int32_t usbDetected = 0;
};
