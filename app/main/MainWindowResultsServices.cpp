#include "MainWindowResultsServices.h"

#include "DiskDefragApp.h"
#include "DiskDefragDlg.h"
#include "DlgDefragWelome.h"
#include "DlgDiskScanDefrag.h"
#include "MainWindowDefragHost.h"

#include <DlgLeftDlgBase.h>

namespace {
constexpr int kDefragTab = 0;
} // namespace

wchar_t MainWindowResultsServices::CurrentDrive() {
    return theApp.m_chCurrentDrive;
}

void MainWindowResultsServices::SaveLastScanText(const wchar_t* valueName, const CString& text) {
    m_host.SaveLastScanValue(valueName, text);
}

CString MainWindowResultsServices::SaveLastScanDate() {
    return m_host.SaveLastScanDate();
}

void MainWindowResultsServices::UnlockMainWindow(const NavigationPattern& navigation) {
    m_host.LockMainWindow(false);
    if (CDlgLeftDlgBase* panel = m_window.GetTabPanel(kDefragTab))
        panel->EnableNavButtons(navigation[0], navigation[1], navigation[2], navigation[3],
                                navigation[4], navigation[5], navigation[6]);
}

bool MainWindowResultsServices::SendReleaseCommand(wchar_t drive) {
    const int32_t blocks =
        m_window.m_pDiskScanDefrag != nullptr ? m_window.m_pDiskScanDefrag->GetBlockCount() : 0;
    return m_window.SendServiceCommand(blocks, kCommandRelease, drive, 0);
}

void MainWindowResultsServices::ConfigureService() {
    // A service that cannot be started is reported by the next command that needs it.
    static_cast<void>(::ConfigureService(kDefragServiceName, kServiceStart));
}

void MainWindowResultsServices::ShowHomePage(wchar_t drive) {
    if (m_window.m_pDefragHome != nullptr && drive != 0)
        m_window.m_pDefragHome->SelectDrive(CString(drive));
    m_window.ShowTabPage(kDefragTab, kShowDefragHome);
}

int MainWindowResultsServices::StartDefragmentation(wchar_t drive, const CString& driveText) {
    CDlgDiskScanDefrag* progress = m_window.m_pDiskScanDefrag;
    if (progress == nullptr)
        return 0;
    progress->ClearStopRequested();
    const int sent = progress->StartOperation(DefragOperation::kDefragmentation, drive, driveText);
    if (sent != 0)
        m_window.ShowTabPage(kDefragTab, kShowDefragProgress);
    return sent;
}

void MainWindowResultsServices::WriteReport(const ReportRequest& request) {
    // A report already being written, or one that cannot be, is the main window's to tell.
    static_cast<void>(m_window.WriteHtmlReport(request));
}
