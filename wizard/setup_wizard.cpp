#include "wizard/setup_wizard.h"

#include "engine/messages/messages.h"
#include "engine/printer_installer.h"
#include "engine/run/exit_codes.h"
#include "wizard/utf16.h"

CSetupWizard::CSetupWizard()
    : wizard(Wide(engine::ShownText(engine::MessageId::SetupCaption)).c_str(), nullptr, 0) {
    theInstaller.SetStartFailureObserver(&startFailureBoxes);
    // The user meets the driver page (CStep3) before the port page (CStep2).
    wizard.AddPage(&welcome);
    wizard.AddPage(&driver);
    wizard.AddPage(&port);
    wizard.AddPage(&finish);
    wizard.SetWizardMode();
    wizard.SetActivePage(&welcome);
}

CSetupWizard::~CSetupWizard() { theInstaller.SetStartFailureObserver(nullptr); }

int CSetupWizard::ExitCode() const {
    switch (finish.Outcome()) {
        case CStep5::LastOutcome::Installed: return static_cast<int>(engine::kExitSuccess);
        case CStep5::LastOutcome::InstalledRestartRequired:
            return static_cast<int>(engine::kExitRestartRequired);
        case CStep5::LastOutcome::Failed: return static_cast<int>(engine::kExitFailed);
        case CStep5::LastOutcome::None: break;
    }
    return static_cast<int>(engine::kExitCancelled);
}
