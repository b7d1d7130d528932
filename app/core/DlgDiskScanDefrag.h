// CDlgDiskScanDefrag: the page that runs one analysis or defragmentation: it sends the job,
// polls the service on a timer, shows the progress, the counters, the current file and the
// cluster map, lets the user stop, runs every defragmentation as two passes and at the end
// records the last-scan values and hands over to the results pages.
#pragma once

#include "DefragCommandSender.h"
#include "DefragPageHost.h"
#include "DefragPagesRes.h"
#include "DefragProgress.h"
#include "Legend.h"
#include "PlainDefragPageHost.h"
#include "VolmeMap.h"

#include "DlgLeftSideChild.h"
#include "HoverButtonWithText.h"

#include <classlib/CommonControls.h>
#include <classlib/Controls.h>

#include <array>
#include <memory>

class CDlgDiskScanDefrag : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDiskScanDefrag)
    DECLARE_MESSAGE_MAP()
public:
    enum { IDD = IDD_DLG_DISK_SCAN_DEFRAG };
    static constexpr UINT_PTR kPollTimer = 1000;
    static constexpr UINT kPollMilliseconds = 200;

    // Without a host the page keeps its own service record and state (a plain host).
    explicit CDlgDiskScanDefrag(CWnd* parent = nullptr, DefragPageHost* host = nullptr);
    ~CDlgDiskScanDefrag() override;

    // Commands go through `sender` instead of the service record (tests record them).
    void SetCommandSender(DefragCommandSender* sender) { m_pSender = sender; }

    // Non-zero when the job was sent; the home page then shows this page.
    int StartOperation(DefragOperation operation, wchar_t drive, const CString& entryText);
    // The result of the job's command: 0 when the service did not take it or too little space
    // is free (the user was told).
    int SendJob(wchar_t drive, const CString& entryText);
    // Pauses the job and asks; Yes aborts it and goes home, No resumes it.
    void OnStop();

    int GetBlockCount() { return m_map.GetBlockCount(); }
    CVolmeMap& ClusterMap() { return m_map; }
    DefragOperation Operation() const { return m_operation; }
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
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnStopClicked();

private:
    enum CountIndex { kFragmented = 0, kFiles = 1, kDirectories = 2 };

    DefragCommandSender& Sender();
    [[nodiscard]] bool Send(int32_t code, int32_t mode);
    CString Text(const wchar_t* key) const;
    CString ControlText(const wchar_t* key) const;
    void LayOutLegend();
    void ShowControl(int id, bool shown, bool enabled);
    void SetPathLine(const CString& text);
    void UploadMapOfAnalysedDrive();
    void MarkJobRunning();
    // The job did not start or stopped short: the poll ends, the user is told, the window
    // is unlocked and the home page shown.
    void AbandonJob(const wchar_t* messageKey, UINT type);

    void Poll();
    void OnProgressTick(int state);
    void UpdateProgress(int state);
    void OnJobFinished();
    void StartSecondPass();
    void FinishDefragmentation();
    void ShowCompletionMessage();
    void FetchResults();

    DefragPageHost* m_pHost;
    std::unique_ptr<PlainDefragPageHost> m_ownHost;
    DefragCommandSender* m_pSender = nullptr;
    std::unique_ptr<DefragCommandSender> m_serviceSender;

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
    // Polls wait while the job is being sent or the stop question is open, so that no poll
    // finishes the job underneath them.
    bool m_bHoldPolls = false;
    DefragOperation m_operation = DefragOperation::kAnalysis;
};

// The drive letter of the last analysis (0 before any): a defragmentation of that drive starts
// from the map drawn during the analysis.
wchar_t LastAnalysedDrive();
