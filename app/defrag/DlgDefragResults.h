// CDlgDefragResults: the defragmentation results page: volume and data fragmentation before
// (from the first pass) and after (from the second), the largest free space; back and report.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <classlib/MessageMap.h>
#include <classlib/String.h>

#include "FragmentationFigures.h"
#include "ResultSummaryRows.h"
#include "ResultsPageServices.h"

#include <memory>

inline constexpr UINT kDefragResultsTemplateId = 6035;
inline constexpr wchar_t kDefragResultsLangSection[] = L"IDD_DLG_DEFRAG_RESULTS";

class CDlgDefragResults : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDefragResults(CWnd* parent = nullptr);
    ~CDlgDefragResults() override;

    void SetServices(ResultsPageServices* services) { m_pServices = services; }

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    // The first pass has finished: the "before" figures, the first pass's file count and start.
    void ShowFirstPassResults(std::shared_ptr<const RunResults> results);
    // The second pass has finished: the "after" figures; the page is then shown. The report is
    // written from these results and the first pass's count and start.
    void ShowResults(std::shared_ptr<const RunResults> results);
    void OnBack();
    void OnViewReport();

    CHoverButtonWithText m_btnBack;
    CHoverButtonWithText m_btnReport;
    FragmentationFigures m_figures;
    // Whether each pass gave usable statistics; a failed pass shows and records nothing.
    bool m_bFirstPassRead = false;
    bool m_bResultsRead = false;
    CString m_strDriveText; // "C:\"
    std::shared_ptr<const RunResults> m_results;
    uint64_t m_firstPassFragmentedFiles = 0;
    SYSTEMTIME m_firstPassStart{};
    CString m_strHeadline;
    ResultSummaryRows m_rows;
    ResultIcons m_icons;

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    // Records the pass's drive and answers whether its statistics were usable.
    bool RecordPass(const RunResults& results);
    void SaveFragmentationResults();

    ResultsPageServices* m_pServices = nullptr;
};
