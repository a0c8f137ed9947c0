// The application: runs the setup wizard once and ends with its exit code.
#pragma once

#include "wizard/framework/win_app.h"

class CTamrinApp : public CWinApp {
public:
    BOOL InitInstance() override;
    // The wizard's exit code (CSetupWizard::ExitCode).
    int ExitInstance() override { return exitCode; }

private:
    int exitCode = 0;
};
