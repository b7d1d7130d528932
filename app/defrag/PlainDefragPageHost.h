// A defragmentation progress page's host that keeps its own service client and state: no main
// window, no results pages, no run modes; last-scan values go to the registry only.
#pragma once

#include "DefragPageHost.h"

#include <classlib/App.h>

#include <memory>
#include <utility>

class PlainDefragPageHost : public DefragPageHost {
public:
    // The block count its client's commands carry (the page's map); set before the client's
    // first use.
    void SetBlockCountSource(DefragServiceClient::BlockCountSource blockCount) {
        m_blockCount = std::move(blockCount);
    }
    DefragServiceClient& ServiceClient() override;
    void StoreJobState(int state, int priority) override;
    int LastJobState() const override { return m_state; }
    wchar_t CurrentDrive() const override { return m_drive; }
    void SetCurrentDrive(wchar_t drive) override { m_drive = drive; }
    bool HiddenStart() const override { return false; }
    bool AutomaticMode() const override { return false; }
    void ClearAutomaticMode() override {}
    bool ShutdownSwitch() const override { return false; }
    void EndScheduledRun() override {}
    void ShowShutdownDialog(const CString&) override {}
    void LockMainWindow(bool) override {}
    CWnd* MainWindow() override { return AfxGetMainWnd(); }
    void SaveLastScanValue(const wchar_t* valueName, const CString& text) override;
    CString SaveLastScanDate() override;
    void ShowAnalysisResults(std::shared_ptr<const RunResults>) override {}
    void ShowFirstPassResults(std::shared_ptr<const RunResults>) override {}
    void ShowDefragResults(std::shared_ptr<const RunResults>) override {}
    bool ReadDriveSpace(wchar_t drive, ULONGLONG& freeBytes, ULONGLONG& totalBytes) override;

private:
    DefragServiceClient::BlockCountSource m_blockCount;
    std::unique_ptr<ServiceHandles> m_service;
    std::unique_ptr<DefragServiceClient> m_client;
    int m_state = 0;
    int m_priority = 0;
    wchar_t m_drive = 0;
};
