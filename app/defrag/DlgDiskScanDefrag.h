// CDlgDiskScanDefrag: the page that runs one analysis or defragmentation: it sends the job,
// polls the service on a timer, shows the progress, the counters, the current file and the
// cluster map, lets the user stop, runs every defragmentation as two passes and at the end
// records the last-scan values and hands over to the results pages. Every wait of a job is a
// timed state of the poll timer, and what the service is asked while the job runs (the polls,
// the results of a pass) is asked on a worker thread: the window answers throughout.
#pragma once

#include "DefragCommandSender.h"
#include "DefragPageHost.h"
#include "DefragPagesRes.h"
#include "DefragProgress.h"
#include "Legend.h"
#include "PlainDefragPageHost.h"
#include "VolmeMap.h"
#include "WorkerQueue.h"

#include "DlgLeftSideChild.h"
#include "HoverButtonWithText.h"

#include <classlib/CommonControls.h>
#include <classlib/Controls.h>

#include <array>
#include <functional>
#include <memory>

class CDlgDiskScanDefrag : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDiskScanDefrag)
    DECLARE_MESSAGE_MAP()
public:
    enum { IDD = IDD_DLG_DISK_SCAN_DEFRAG };
    static constexpr UINT_PTR kPollTimer = 1000;
    static constexpr UINT kPollMilliseconds = 200;

    // Where a job is; every state but idle is a job that runs.
    enum class JobPhase {
        kIdle,
        kSending,            // the job's commands are on their way
        kStarting,           // the wait after the job's command (map uploads between)
        kPolling,            // the poll timer asks the service
        kReadingResults,     // a pass has ended: its results are read
        kSecondPassStarting, // the wait after the second pass's command
        kStopping,           // the wait after an abort, before the home page
    };

    // Without a host the page keeps its own service client and state (a plain host). Every
    // call to the service goes through the host's client.
    explicit CDlgDiskScanDefrag(CWnd* parent = nullptr, DefragPageHost* host = nullptr);
    ~CDlgDiskScanDefrag() override;

    // Non-zero when the job is being sent; the home page then shows this page. A service that
    // does not take the job is told to the user afterwards, and the home page comes back.
    int StartOperation(DefragOperation operation, wchar_t drive, const CString& entryText);
    // 0 when the drive cannot be read or too little space is free (the user was told); else
    // the commands go to the service on the worker.
    int SendJob(wchar_t drive, const CString& entryText);
    // Pauses the job and asks; Yes aborts it and goes home, No resumes it.
    void OnStop();

    int GetBlockCount() { return m_map.GetBlockCount(); }
    CVolmeMap& ClusterMap() { return m_map; }
    DefragOperation Operation() const { return m_operation; }
    JobPhase Phase() const { return m_phase; }
    // A job was sent and has not ended yet.
    bool JobRunning() const { return m_phase != JobPhase::kIdle; }
    int Pass() const { return m_pass; }
    bool StopRequested() const { return m_bStopRequested; }
    void ClearStopRequested() { m_bStopRequested = false; }
    // The entry text, two blanks and the volume's size, for the results pages.
    const CString& DriveAndSizeText() const { return m_driveAndSize; }
    const CString& EntryText() const { return m_entryText; }
    const CString& FilesText() const { return m_countTexts[kFiles]; }
    const CString& DirectoriesText() const { return m_countTexts[kDirectories]; }
    const CString& FragmentedFilesText() const { return m_countTexts[kFragmented]; }
    const CString& DescriptionText() const { return m_description; }
    const CString& TipText() const { return m_tip; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override {}
    void OnCancel() override {}

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnTimer(UINT_PTR id);
    LRESULT OnWorkDone(WPARAM wParam, LPARAM lParam);
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnStopClicked();

private:
    enum CountIndex { kFragmented = 0, kFiles = 1, kDirectories = 2 };

    DefragServiceClient& Client() { return m_pHost->ServiceClient(); }
    CString Text(const wchar_t* key) const;
    CString ControlText(const wchar_t* key) const;
    void LayOutLegend();
    void ShowControl(int id, bool shown, bool enabled);
    void SetPathLine(const CString& text);
    void ShowAgain(CWnd& control);
    void SetProgress(int position);
    void UploadMapOfAnalysedDrive();
    void MarkJobRunning();
    // The job did not start or stopped short: the poll ends, the user is told, the window
    // is unlocked and the home page shown.
    void AbandonJob(const wchar_t* messageKey, UINT type);

    void OnJobSent(bool sent);
    // The service did not take a command: told, the window unlocked, the home page shown.
    void FailJob();
    // Waits `milliseconds` in `phase` on the poll timer.
    void Wait(JobPhase phase, UINT milliseconds);
    void OnStartWaitOver();
    void RequestPoll();
    void OnPollRead(const ServicePoll& poll);
    void OnProgressTick(int state);
    void UpdateProgress(int state, const ServicePoll& poll);
    void StartReadingResults();
    void ShowReadingProgress();
    void OnResultsRead(std::shared_ptr<const RunResults> results);
    void StartSecondPass();
    void FinishDefragmentation();
    void HideJobControls();
    void ShowCompletionMessage(bool automatic);
    // The pass's last-scan values and the launcher's lines.
    void RecordResults(const RunResults& results);
    // The job has ended: the window is unlocked and the automatic mode cleared.
    void EndJob();
    void FinishStop();

    DefragPageHost* m_pHost;
    std::unique_ptr<PlainDefragPageHost> m_ownHost;

    CVolmeMap m_map;
    std::array<CLegend, 6> m_legends;
    std::array<CStatic, 6> m_legendLabels;
    CStatic m_driveLine;
    CStatic m_pathLine;
    CStatic m_nowScanning;
    CProgressCtrl m_progress;
    CHoverButtonWithText m_stop;
    CHoverButtonWithText m_stopDefrag;
    CBrush m_legendBrush;

    CString m_entryText;
    std::array<uint64_t, 3> m_counts{};
    std::array<CString, 3> m_countTexts;
    CString m_tip;
    CString m_description;
    CString m_driveAndSize;
    CString m_currentPath;
    int m_pass = 0;
    bool m_bStopRequested = false;
    // Polls wait while the stop question is open, so that no poll finishes the job underneath
    // it; what a read brings meanwhile waits here.
    bool m_bHoldPolls = false;
    std::function<void()> m_heldResults;
    DefragOperation m_operation = DefragOperation::kAnalysis;
    JobPhase m_phase = JobPhase::kIdle;
    // The start waits of a defragmentation still to come (each ends with a map upload).
    int m_startWaitsLeft = 0;
    bool m_bPollPending = false;
    std::shared_ptr<RunResultsProgress> m_readProgress;
    CWorkerQueue m_worker;
};

// The drive letter of the last analysis (0 before any): a defragmentation of that drive starts
// from the map drawn during the analysis.
wchar_t LastAnalysedDrive();
