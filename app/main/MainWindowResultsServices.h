// The main window's side of the results pages and the one-click summary: the application's
// drive, the last-scan values through the progress page's host, the lock of the window, the
// home and progress pages and the reports.
#pragma once

#include "ResultsPageServices.h"

class CDiskDefragDlg;
class MainWindowDefragHost;

class MainWindowResultsServices : public ResultsPageServices {
public:
    MainWindowResultsServices(CDiskDefragDlg& window, MainWindowDefragHost& host)
        : m_window(window), m_host(host) {}

    wchar_t CurrentDrive() override;
    void ReadServiceResults(RunResults& results, const std::function<bool()>& cancelled) override;
    void SaveLastScanText(const wchar_t* valueName, const CString& text) override;
    CString SaveLastScanDate() override;
    void UnlockMainWindow(const NavigationPattern& navigation) override;
    [[nodiscard]] bool SendReleaseCommand(wchar_t drive) override;
    [[nodiscard]] bool MakeServiceReady() override;
    void ConfigureService() override;
    void ShowHomePage(wchar_t drive) override;
    int StartDefragmentation(wchar_t drive, const CString& driveText) override;
    void WriteReport(const ReportRequest& request) override;

private:
    CDiskDefragDlg& m_window;
    MainWindowDefragHost& m_host;
};
