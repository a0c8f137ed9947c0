#include "wizard/setup_wizard.h"

CSetupWizard::CSetupWizard() : wizard(L"Korvel Printer Driver Setup", nullptr, 0) {
    // The user meets the driver page (CStep3) before the port page (CStep2).
    wizard.AddPage(&welcome);
    wizard.AddPage(&driver);
    wizard.AddPage(&port);
    wizard.AddPage(&finish);
    wizard.SetWizardMode();
    wizard.SetActivePage(&welcome);
}
