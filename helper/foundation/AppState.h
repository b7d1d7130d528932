// The application's process-wide state: its title, the command-line switches, the outcome of
// the single-instance test and what the windows read before the first dialog opens.
#pragma once

#include <windows.h>

#include <classlib/App.h>
#include <classlib/String.h>

#include "XarnHelperApi.h"

extern XARNHELPER_DATA CString g_strAppTitle;
// Set from the command line by the application's InitInstance.
extern XARNHELPER_DATA BYTE g_bScheduleSwitch;
extern XARNHELPER_DATA BYTE g_bAutoFixSwitch;
extern XARNHELPER_DATA BYTE g_bShutdownSwitch;
// "-log": the log writer writes only while this is set.
extern XARNHELPER_DATA BYTE g_bLogEnabled;
extern XARNHELPER_DATA BYTE g_bAnotherInstanceRunning;
// A start while another instance runs brings that one to the front (unless scheduled).
extern XARNHELPER_DATA BYTE g_bActivateRunningInstance;
// 0: no administrator; 1: in the administrators group with its rights in effect; 2: in the
// group without them in effect.
extern XARNHELPER_DATA int g_nAdminState;
extern XARNHELPER_DATA HICON g_hAppIcon;
// The application window shows its help-menu and About buttons.
extern XARNHELPER_DATA BYTE g_bShowHeaderButtons;

CWinApp* GetAppObject();
CString GetAppTitle();
