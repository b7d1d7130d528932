#include "MainWindowDefragHost.h"

#include "DiskDefragApp.h"
#include "DiskDefragDlg.h"
#include "FreeSpaceRule.h"

#include "DlgLeftDlgBase.h"
#include "AppState.h"

#include <utility>

namespace {

constexpr int kDefragTab = 0;

void Run(const MainWindowDefragHost::ResultsHandOver& handOver,
         std::shared_ptr<const RunResults> results) {
    if (handOver)
        handOver(std::move(results));
}

} // namespace

DefragServiceClient& MainWindowDefragHost::ServiceClient() {
    return m_window.ServiceClient();
}

void MainWindowDefragHost::StoreJobState(int state, int priority) {
    m_window.StoreServiceState(state, priority);
}

int MainWindowDefragHost::LastJobState() const {
    return m_window.ServiceState();
}

wchar_t MainWindowDefragHost::CurrentDrive() const {
    return theApp.m_chCurrentDrive;
}

void MainWindowDefragHost::SetCurrentDrive(wchar_t drive) {
    theApp.m_chCurrentDrive = drive;
}

bool MainWindowDefragHost::HiddenStart() const {
    return theApp.m_bHiddenStart;
}

bool MainWindowDefragHost::AutomaticMode() const {
    return theApp.m_bAutomaticMode;
}

void MainWindowDefragHost::ClearAutomaticMode() {
    theApp.m_bAutomaticMode = false;
}

bool MainWindowDefragHost::ShutdownSwitch() const {
    return g_bShutdownSwitch != 0;
}

void MainWindowDefragHost::EndScheduledRun() {
    theApp.m_bScheduledWithDrives = false;
}

void MainWindowDefragHost::ShowShutdownDialog(const CString& text) {
    if (showShutdownDialog)
        showShutdownDialog(text);
}

void MainWindowDefragHost::LockMainWindow(bool locked) {
    const BOOL enabled = locked ? FALSE : TRUE;
    if (locked)
        m_window.DisableCloseControls();
    else
        m_window.EnableCloseControls();
    m_window.EnableTabButtons(enabled, enabled, enabled, enabled, enabled);
    if (CDlgLeftDlgBase* panel = m_window.GetTabPanel(kDefragTab)) {
        if (locked)
            panel->DisableActionButtons();
        else
            panel->EnableActionButtons();
        panel->EnableNavButtons(enabled, enabled, enabled, enabled, enabled, enabled, enabled);
    }
}

CWnd* MainWindowDefragHost::MainWindow() {
    return &m_window;
}

void MainWindowDefragHost::SaveLastScanValue(const wchar_t* valueName, const CString& text) {
    m_window.SaveLastScanValue(valueName, text);
}

CString MainWindowDefragHost::SaveLastScanDate() {
    m_window.SaveLastScanDate();
    return m_window.LastScan().date;
}

void MainWindowDefragHost::ShowAnalysisResults(std::shared_ptr<const RunResults> results) {
    Run(showAnalysisResults, std::move(results));
}

void MainWindowDefragHost::ShowFirstPassResults(std::shared_ptr<const RunResults> results) {
    Run(showFirstPassResults, std::move(results));
}

void MainWindowDefragHost::ShowDefragResults(std::shared_ptr<const RunResults> results) {
    Run(showDefragResults, std::move(results));
}

bool MainWindowDefragHost::ReadDriveSpace(wchar_t drive, ULONGLONG& freeBytes,
                                          ULONGLONG& totalBytes) {
    return ReadDriveFreeSpace(drive, freeBytes, totalBytes);
}
