// The setup wizard as the application runs it: the frame and its five pages, built in
// the order CStep1 to CStep5 and destroyed in the reverse one, then the frame. Four
// pages are shown in the order the user meets them (welcome, driver, port, finish); the
// options page is built with them but never added. While it lives, the installer's
// failed starts of rundll32 are shown in boxes.
#pragma once

#include "wizard/message_boxes.h"
#include "wizard/step1_welcome.h"
#include "wizard/step2_port.h"
#include "wizard/step3_driver.h"
#include "wizard/step4_options.h"
#include "wizard/step5_finish.h"
#include "wizard/wizard.h"

class CSetupWizard {
public:
    CSetupWizard();
    ~CSetupWizard();
    CSetupWizard(const CSetupWizard&) = delete;
    CSetupWizard& operator=(const CSetupWizard&) = delete;

    CWizard& Frame() { return wizard; }
    // Runs the wizard until it closes; the end code of the frame.
    INT_PTR DoModal() { return wizard.DoModal(); }
    // The exit code of the program for the way the wizard ended: 0 installed, 3010
    // installed with a restart required, 1603 after a failed installation, 1602 closed
    // with nothing installed. Told by the finish page,
    // not by the end code: the frame gives IDCANCEL (2) for Cancel, the code the finish
    // page ends with after an installation.
    int ExitCode() const;

private:
    StartFailureBoxes startFailureBoxes;
    CWizard wizard;
    CStep1 welcome;
    CStep2 port;
    CStep3 driver;
    CStep4 options;
    CStep5 finish;
};
