// The application: runs the setup wizard once and ends.
#pragma once

#include "wizard/framework/win_app.h"

class CTamrinApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
