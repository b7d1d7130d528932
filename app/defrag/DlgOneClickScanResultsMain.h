// CDlgOneClickScanResultsMain: the pop-up that sums up the analysis the service holds for the
// current drive (files, fragmented files, volume and data fragmentation, largest free space)
// and records it as the last scan.
#pragma once

#include <windows.h>

#include <classlib/MessageMap.h>
#include <classlib/String.h>
#include <DlgBaseWndPopupNagBase.h>

#include "AnalysisSummary.h"
#include "ResultSummaryRows.h"
#include "ResultsPageServices.h"
#include "WorkerQueue.h"

inline constexpr UINT kOneClickSummaryTemplateId = 149;

// Built on the pop-up base that runs over the dimming overlay and reports its result code.
class CDlgOneClickScanResultsMain : public CDlgBaseWndPopupNagBase {
    DECLARE_MESSAGE_MAP()
public:
    CDlgOneClickScanResultsMain(CWnd* parent, ResultsPageServices& services);
    ~CDlgOneClickScanResultsMain() override;

    BOOL OnInitDialog() override;
    // Reads the analysis from the service on a thread of its own; the summary is filled when
    // the results are in.
    void ReadResults();
    // Fills the rows from the analysis and records the last-scan values.
    void FillResults(const RunResults& results);

    AnalysisSummary m_summary;
    CString m_strHeadline;
    ResultSummaryRows m_rows;
    ResultIcons m_icons;

protected:
    void OnPaint();
    LRESULT OnWorkDone(WPARAM wParam, LPARAM lParam);

    ResultsPageServices& m_services;
    CWorkerQueue m_worker;
};

// Runs the summary over the dimming overlay on `parent` (the main window) until it is closed.
void RunOneClickScanSummary(CWnd* parent, ResultsPageServices& services);
