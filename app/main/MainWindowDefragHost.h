// The progress page's host in the program: the application's run modes and current drive,
// the main window's service client, state, lock and last-scan values, and the results pages
// and the shut-down dialog reached through the hand-overs their creator sets.
#pragma once

#include "DefragPageHost.h"

#include <functional>
#include <memory>

class CDiskDefragDlg;

class MainWindowDefragHost : public DefragPageHost {
public:
    explicit MainWindowDefragHost(CDiskDefragDlg& window) : m_window(window) {}

    // The results pages fill themselves from the pass's results; empty until they exist.
    using ResultsHandOver = std::function<void(std::shared_ptr<const RunResults> results)>;
    ResultsHandOver showAnalysisResults;
    ResultsHandOver showFirstPassResults;
    ResultsHandOver showDefragResults;
    // The shut-down dialog in shut-down mode over the main window (the information dialogs'
    // ShowShutdownDialog); empty until the program links them.
    std::function<void(const CString& text)> showShutdownDialog;

    DefragServiceClient& ServiceClient() override;
    void StoreJobState(int state, int priority) override;
    int LastJobState() const override;
    wchar_t CurrentDrive() const override;
    void SetCurrentDrive(wchar_t drive) override;
    bool HiddenStart() const override;
    bool AutomaticMode() const override;
    void ClearAutomaticMode() override;
    bool ShutdownSwitch() const override;
    void EndScheduledRun() override;
    void ShowShutdownDialog(const CString& text) override;
    void LockMainWindow(bool locked) override;
    CWnd* MainWindow() override;
    void SaveLastScanValue(const wchar_t* valueName, const CString& text) override;
    CString SaveLastScanDate() override;
    void ShowAnalysisResults(std::shared_ptr<const RunResults> results) override;
    void ShowFirstPassResults(std::shared_ptr<const RunResults> results) override;
    void ShowDefragResults(std::shared_ptr<const RunResults> results) override;
    bool ReadDriveSpace(wchar_t drive, ULONGLONG& freeBytes, ULONGLONG& totalBytes) override;

private:
    CDiskDefragDlg& m_window;
};
