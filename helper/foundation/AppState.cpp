#include "AppState.h"

CString g_strAppTitle;
BYTE g_bScheduleSwitch = 0;
BYTE g_bAutoFixSwitch = 0;
BYTE g_bShutdownSwitch = 0;
BYTE g_bLogEnabled = 0;
BYTE g_bAnotherInstanceRunning = 0;
BYTE g_bActivateRunningInstance = 1;
int g_nAdminState = 0;
HICON g_hAppIcon = nullptr;
BYTE g_bShowHeaderButtons = 0;

CWinApp* GetAppObject() {
    return AfxGetApp();
}

CString GetAppTitle() {
    return g_strAppTitle;
}
