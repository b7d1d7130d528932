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

void MainWindowResultsServices::ReadServiceResults(RunResults& results,
                                                   const std::function<bool()>& cancelled) {
    m_window.ServiceClient().FetchResults(results, cancelled);
}

bool MainWindowResultsServices::SendReleaseCommand(wchar_t drive) {
    return m_window.ServiceClient().Send(kCommandRelease, drive, 0);
}

bool MainWindowResultsServices::MakeServiceReady() {
    return m_window.ServiceClient().MakeServiceReady();
}

void MainWindowResultsServices::ConfigureService() {
    // A service that cannot be started is reported by the next command that needs it.
    static_cast<void>(::ConfigureService(kDefragServiceName, kServiceStart));
}

void MainWindowResultsServices::ShowHomePage(wchar_t drive) {
    if (m_window.HomePage() != nullptr && drive != 0)
        m_window.HomePage()->SelectDrive(CString(drive));
    m_window.ShowTabPage(kDefragTab, kShowDefragHome);
}

int MainWindowResultsServices::StartDefragmentation(wchar_t drive, const CString& driveText) {
    CDlgDiskScanDefrag* progress = m_window.ProgressPage();
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
