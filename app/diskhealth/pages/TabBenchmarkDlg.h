// CTabBenchmarkDlg: the read benchmark tab: starts and stops the benchmark of the chosen physical
// drive and shows its figures and graph while it runs and after.
#pragma once

#include "BenchmarkRun.h"
#include "DiskToolsPage.h"
#include "StaticBenchmark.h"

#include <atomic>
#include <memory>

// Sent by the worker: new figures to draw; once at the start of a run: set the point count.
inline constexpr UINT kBenchmarkProgress = WM_USER + 1;
inline constexpr UINT kBenchmarkStarting = WM_USER + 2;
// Posted by the worker when its run ended (wParam: the run's number).
inline constexpr UINT kBenchmarkEnded = WM_USER + 3;

class CTabBenchmarkDlg : public CDiskToolsPage, private CBenchmarkSink {
    DECLARE_MESSAGE_MAP()
public:
    explicit CTabBenchmarkDlg(CWnd* parent = nullptr);
    ~CTabBenchmarkDlg() override;

    BOOL OnInitDialog() override;
    // Starts a run, or stops the running one, by the button's caption.
    void OnBnClickedStartStop();
    bool IsRunning() const { return m_run && m_run->IsRunning(); }
    // Shows the figures of the results in the fields.
    void UpdateFigures();

    CStaticBenchmark m_graph;
    CHoverButtonWithText m_startButton;

protected:
    void Layout(int cx, int cy) override;
    void OnDestroy();
    void OnShowWindow(BOOL show, UINT status);
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    LRESULT OnProgressMessage(WPARAM, LPARAM);
    LRESULT OnStartingMessage(WPARAM, LPARAM);
    LRESULT OnEndedMessage(WPARAM run, LPARAM);
    void OnDriveSelected();
    void Stop();

    // CBenchmarkSink, on the worker's thread.
    void OnRunStarting(BenchmarkResults& results) override;
    void OnProgress() override;
    void OnRunEnded() override;

    std::unique_ptr<CBenchmarkRun> m_run;
    // Numbers the runs, so that the end of a stopped run does not end its successor.
    std::atomic<WPARAM> m_runNumber{0};
};
