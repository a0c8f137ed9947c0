// Resource identifiers of the wizard (shared by the .rc script and the pages).
#pragma once

#define IDI_APP 128
#define IDB_WIZARD_PICTURE 129

// Page templates.
#define IDD_WELCOME_PAGE 130
#define IDD_FINISH_PAGE 131
#define IDD_OPTIONS_PAGE 132
#define IDD_DRIVER_PAGE 133
#define IDD_PORT_PAGE 134

// Welcome page.
#define IDC_WELCOME_TEXT 1031

// Driver selection page.
#define IDC_MODEL_LIST 1010
#define IDC_MODEL_PROMPT 1030

// Port page.
#define IDC_PORT_LIST 1008
#define IDC_PORT_PROMPT 1032

// Options page.
#define IDC_OPTIONS_NOTE 1009
#define IDC_DEFAULT_YES 1011
#define IDC_DEFAULT_NO 1012
#define IDC_TEST_PAGE_YES 1013
#define IDC_TEST_PAGE_NO 1014
#define IDC_INSTALLED_LIST 1017
#define IDC_DEFAULT_GROUP 1019
#define IDC_TEST_PAGE_GROUP 1020

// Finish page.
#define IDC_INTRO_TEXT 1007
#define IDC_DRIVER_TEXT 1021
#define IDC_PORT_TEXT 1022
#define IDC_STATUS_LABEL 1027
#define IDC_STATUS_TEXT 1028
