// CDlgScanResults: the analysis results page: disk fragmentation, the largest free space, the
// fragmented files and whether a defragmentation is advised; back, defragment now and report.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "AnalysisSummary.h"
#include "ResultSummaryRows.h"
#include "ResultsPageServices.h"

#include <memory>

inline constexpr UINT kScanResultsTemplateId = 6037;
inline constexpr wchar_t kScanResultsLangSection[] = L"IDD_DLG_SCAN_RESULTS";

class CDlgScanResults : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgScanResults(CWnd* parent = nullptr);
    ~CDlgScanResults() override;

    // The page acts through these; it does not own them.
    void SetServices(ResultsPageServices* services) { m_pServices = services; }

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // Fills the page from the results of the analysis just finished and records the last-scan
    // values; the report is written from the same results.
    void ShowResults(std::shared_ptr<const RunResults> results);
    // Back to the home page, releasing the results.
    void OnBack();
    // Defragments the analysed drive now (also the main window's automatic mode).
    void OnDefragment();
    void OnViewReport();

    CHoverButtonWithText m_btnDefragment;
    CHoverButtonWithText m_btnBack;
    CHoverButtonWithText m_btnReport;
    // "(C:) System (System drive)": handed to the progress page when defragmenting.
    CString m_strDriveText;
    std::shared_ptr<const RunResults> m_results;
    AnalysisSummary m_summary;
    // The recommendation sentence, or the failure when the service gave no results.
    CString m_strSentence;
    ResultSummaryRows m_rows;
    ResultIcons m_icons;

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void FillRows();

    ResultsPageServices* m_pServices = nullptr;
};

// The page's drive text of a drive: "(C:) label (system-drive text)" for the system drive,
// else "(D:)label".
CString ResultsDriveText(wchar_t drive);
// The sentence cut to 50 characters and " ..." when longer, as the result screens show it.
CString CutSentence(const CString& sentence);
