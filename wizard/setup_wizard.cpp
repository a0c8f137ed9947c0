#include "wizard/setup_wizard.h"

#include "engine/exit_codes.h"

CSetupWizard::CSetupWizard() : wizard(L"Korvel Printer Driver Setup", nullptr, 0) {
    // The user meets the driver page (CStep3) before the port page (CStep2).
    wizard.AddPage(&welcome);
    wizard.AddPage(&driver);
    wizard.AddPage(&port);
    wizard.AddPage(&finish);
    wizard.SetWizardMode();
    wizard.SetActivePage(&welcome);
}

int CSetupWizard::ExitCode(INT_PTR endCode) const {
    if (endCode == CStep5::kEndCodeInstalled) return static_cast<int>(engine::kExitSuccess);
    return static_cast<int>(finish.InstallationFailed() ? engine::kExitFailed : engine::kExitCancelled);
}
