// A program on the application class for the single-instance tests: it starts as the main
// program does and then, depending on its environment, shows a dialog that ends with the
// command handed to it, writes a report of its state, or waits without any window.
#include <windows.h>

#include <cstdio>

#include <classlib/Classlib.h>

#include "AppState.h"
#include "ProbeApp.h"
#include "ProbeResources.h"
#include "SharedGlobals.h"
#include "SystemInfo.h"
#include "UiFonts.h"
#include "VantorixApp.h"

namespace {

CString Environment(LPCWSTR name) {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(name, value, MAX_PATH);
    return value;
}

class CProbeDialog : public CDialog {
    DECLARE_MESSAGE_MAP()
public:
    CProbeDialog() : CDialog(IDD_PROBE) {}

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetWindowTextW(GetAppTitle());
        return TRUE;
    }

    LRESULT OnHandOff(WPARAM, LPARAM lParam) {
        wchar_t command[64] = {};
        GlobalGetAtomNameW(static_cast<ATOM>(lParam), command, 64);
        const CString text(command);
        EndDialog(static_cast<int>(text == L"schedulescan" ? kExitScheduleScan
                                   : text == L"autofix"    ? kExitAutoFix
                                   : text == L"shutdown"   ? kExitShutdown
                                                           : kExitUnknownCommand));
        return 1;
    }
};

BEGIN_MESSAGE_MAP(CProbeDialog, CDialog)
ON_REGISTERED_MESSAGE(g_msgSchedulerHandOff, &CProbeDialog::OnHandOff)
END_MESSAGE_MAP()

const CFont* const kSharedFonts[] = {
    &g_fontUI,
    &g_fontUIUnderline,
    &g_fontUIBoldUnderline,
    &g_fontUIBold,
    &g_fontUILarge,
    &g_fontUILargeMedium,
    &g_fontUILargeRegular,
    &g_fontUILargeUnderline,
    &g_fontMinus1,
    &g_fontMinus1Bold,
    &g_fontMinus2,
    &g_fontPlus6Bold,
    &g_fontPlus6BoldItalic,
    &g_fontPlus9,
    &g_fontPlus6,
    &g_fontPlus4MediumUnderline,
    &g_fontPlus4Bold,
    &g_fontPlus4Medium,
    &g_fontPlus2Medium,
    &g_fontPlus8Medium,
    &g_fontPlus8Bold,
    &g_fontPlus13Medium,
    &g_fontTitleMedium,
    &g_fontTitleBold,
};

// One line of flags, the UI font, the current directory, then one line per shared font.
void WriteReport(const CString& path) {
    FILE* file = _wfopen(path, L"w, ccs=UTF-8");
    if (file == nullptr)
        return;
    fwprintf(file, L"%d %d %d %d %d %d %lu\n", g_bLogEnabled, g_bScheduleSwitch, g_bAutoFixSwitch,
             g_bShutdownSwitch, g_bAnotherInstanceRunning, g_nAdminState, GetOsMajorVersion());
    fwprintf(file, L"%d %ls\n", GetUIFontHeight(), GetUIFontFace().GetString());
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    fwprintf(file, L"%ls\n", folder);
    for (const CFont* font : kSharedFonts) {
        LOGFONTW record = {};
        GetObjectW(static_cast<HFONT>(*font), sizeof record, &record);
        fwprintf(file, L"%ld %ld %d %d %ls\n", record.lfHeight, record.lfWeight, record.lfItalic,
                 record.lfUnderline, record.lfFaceName);
    }
    fclose(file);
}

class CProbeApp : public CVantorixApp {
public:
    CProbeApp() : CVantorixApp(Environment(kProbeTitleVariable), L"pelq.ini") {}

    BOOL InitInstance() override {
        if (!CVantorixApp::InitInstance()) {
            exitCode_ = kExitNotStarted;
            return FALSE;
        }
        if (const CString report = Environment(kProbeReportVariable); !report.IsEmpty()) {
            WriteReport(report);
            exitCode_ = kExitReported;
        } else if (!Environment(kProbeWindowlessVariable).IsEmpty()) {
            HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, kProbeQuitEventPrefix + GetAppTitle());
            WaitForSingleObject(quit, 60000);
            CloseHandle(quit);
            exitCode_ = kExitWindowless;
        } else {
            CProbeDialog dialog;
            m_pMainWnd = &dialog;
            exitCode_ = static_cast<int>(dialog.DoModal());
            m_pMainWnd = nullptr;
        }
        return FALSE;
    }

    int ExitInstance() override { return exitCode_; }

private:
    int exitCode_ = 0;
};

CProbeApp theApp;

} // namespace
