// Step 3 of the wizard, the port page: the port the printer is installed on. When the
// USB port of an attached printer is found, the page states it and hides the list;
// otherwise the user picks one of the spooler's ports ("LPT1:" proposed).
#pragma once

#include <cstdint>
#include <string>

#include "usb/usb_port.h"
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
    // cannot list them) and selects "LPT1:", or else the first entry.
    void FillPortList();

    std::wstring portPrompt;
    CListBox portList;
    CUSBPort detector;
    // The port found by USB detection, or the list entry chosen on Next.
    std::wstring detectedPort;
    // 1 when the latest activation found the USB port.
    std::int32_t usbDetected = 0;
};
