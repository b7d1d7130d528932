#include "DlgDefragResults.h"

#include "AnalysisSummary.h"
#include "DlgScanResults.h"
#include "LastScanValues.h"
#include "MainUtilities.h"
#include "PageTexts.h"
#include "ResultsPageDrawing.h"
#include "ResultsPagesResource.h"

#include <SkinPaintDC.h>

#include <utility>

BEGIN_MESSAGE_MAP(CDlgDefragResults, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_BACK, &CDlgDefragResults::OnBack)
ON_BN_CLICKED(IDC_REPORT, &CDlgDefragResults::OnViewReport)
END_MESSAGE_MAP()

namespace {
constexpr NavigationPattern kDefragNavigation{FALSE, FALSE, FALSE, FALSE, TRUE, TRUE, TRUE};
enum Row { kDiskBefore, kDiskAfter, kDataBefore, kDataAfter, kLargestFree, kRowCount };

CString PercentText(double percent) {
    CString text;
    text.Format(L"%0.2f%%", percent);
    return text;
}

CString BeforeAfterText(double before, double after) {
    return AppTextFormat(L"IDS_FRAGMENTATION_RES", PercentText(before).GetString(),
                         PercentText(after).GetString());
}
} // namespace

CDlgDefragResults::CDlgDefragResults(CWnd* parent)
    : CDlgLeftSideChild(kDefragResultsTemplateId, parent) {}

CDlgDefragResults::~CDlgDefragResults() = default;

BOOL CDlgDefragResults::OnInitDialog() {
    const BOOL result = CDlgLeftSideChild::OnInitDialog();
    m_btnBack.SubclassDlgItem(IDC_BTN_BACK, this);
    m_btnReport.SubclassDlgItem(IDC_REPORT, this);
    SetWindowText(AppText(L"IDS_DEFRG_RES_HEADING"));
    m_icons.Load();
    StyleResultButton(*this, m_btnBack, true, AppText(L"IDC_BTN_BACK", kDefragResultsLangSection));
    StyleResultButton(*this, m_btnReport, false, AppText(L"IDC_REPORT", kDefragResultsLangSection));
    m_rows.Add(m_icons.Attention(), kAttentionColour, AppText(L"IDS_VOL_FRAGMENTATION_BEFORE"), {});
    m_rows.Add(m_icons.Good(), kGoodColour, AppText(L"IDS_VOL_FRAGMENTATION_AFTER"), {});
    m_rows.Add(m_icons.Attention(), kAttentionColour, AppText(L"IDS_DATA_FRAGMENTATION_BEFORE"),
               {});
    m_rows.Add(m_icons.Good(), kGoodColour, AppText(L"IDS_DATA_FRAGMENTATION_AFTER"), {});
    m_rows.Add(m_icons.Good(), kGoodColour, AppText(L"IDS_LARGEST_CONT_SPACE"), {});
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    return result;
}

bool CDlgDefragResults::RecordPass(const RunResults& results) {
    m_strDriveText = LastDriveText(m_pServices->CurrentDrive());
    if (!HasUsableStatistics(results))
        return false;
    m_pServices->SaveLastScanText(kLastScanDrive, m_strDriveText);
    return true;
}

void CDlgDefragResults::SaveFragmentationResults() {
    m_pServices->SaveLastScanText(kLastScanVolumeResult,
                                  BeforeAfterText(m_figures.diskBefore, m_figures.diskAfter));
    m_pServices->SaveLastScanText(kLastScanDataResult,
                                  BeforeAfterText(m_figures.dataBefore, m_figures.dataAfter));
}

void CDlgDefragResults::ShowFirstPassResults(std::shared_ptr<const RunResults> results) {
    if (m_pServices == nullptr)
        return;
    const auto pass = results ? std::move(results) : std::make_shared<const RunResults>();
    m_figures = {};
    m_bResultsRead = false;
    m_results.reset();
    m_bFirstPassRead = RecordPass(*pass) && ComputeFragmentation(*pass, m_figures);
    if (!m_bFirstPassRead)
        return;
    m_pServices->SaveLastScanDate();
    m_firstPassFragmentedFiles = pass->statistics->fragmentedFiles;
    m_firstPassStart = pass->statistics->startTime;
    SaveFragmentationResults();
}

void CDlgDefragResults::ShowResults(std::shared_ptr<const RunResults> results) {
    if (m_pServices == nullptr)
        return;
    m_results = results ? std::move(results) : std::make_shared<const RunResults>();
    const RunResults& pass = *m_results;
    FragmentationFigures secondPass;
    m_bResultsRead = RecordPass(pass) && ComputeFragmentation(pass, secondPass) && m_bFirstPassRead;
    CString largestFree;
    if (m_bResultsRead) {
        // The "before" figures are the first pass's; the second pass starts from its result.
        m_figures.diskAfter = secondPass.diskAfter;
        m_figures.dataAfter = secondPass.dataAfter;
        SaveFragmentationResults();
        const DefragStatistics& statistics = *pass.statistics;
        largestFree = ByteSizeText(statistics.largestFreeRun * statistics.sectorsPerCluster *
                                   static_cast<ULONGLONG>(statistics.bytesPerSector));
        m_strHeadline = AppTextFormat(L"IDS_DEFRAG_COMPLETE", m_strDriveText.GetString());
        m_rows.Set(kDiskBefore, m_icons.Attention(), kAttentionColour,
                   PercentText(m_figures.diskBefore));
        m_rows.Set(kDiskAfter, m_icons.Good(), kGoodColour, PercentText(m_figures.diskAfter));
        m_rows.Set(kDataBefore, m_icons.Attention(), kAttentionColour,
                   PercentText(m_figures.dataBefore));
        m_rows.Set(kDataAfter, m_icons.Good(), kGoodColour, PercentText(m_figures.dataAfter));
        m_rows.Set(kLargestFree, m_icons.Good(), kGoodColour, largestFree);
    } else {
        m_strHeadline = AppTextFormat(L"IDS_RESULTS_NOT_READ", m_strDriveText.GetString());
        const CString unavailable = AppText(L"IDS_NOT_AVAILABLE");
        for (int row = 0; row < kRowCount; ++row)
            m_rows.Set(row, m_icons.Attention(), kAttentionColour, unavailable);
    }
    m_btnReport.EnableWindow(m_bResultsRead);
    m_pServices->UnlockMainWindow(kDefragNavigation);
    Invalidate();
}

void CDlgDefragResults::OnBack() {
    if (m_pServices == nullptr)
        return;
    const wchar_t drive = m_pServices->CurrentDrive();
    static_cast<void>(m_pServices->SendReleaseCommand(drive));
    m_pServices->ShowHomePage(drive);
}

void CDlgDefragResults::OnViewReport() {
    if (m_pServices == nullptr)
        return;
    ReportRequest request;
    request.defragmentation = true;
    request.listFailedFiles = true;
    request.figures = m_figures;
    request.results = m_results;
    request.firstPassFragmentedFiles = m_firstPassFragmentedFiles;
    request.firstPassStart = m_firstPassStart;
    m_pServices->WriteReport(request);
}

void CDlgDefragResults::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, TRUE);
    m_strHeadline = CutSentence(m_strHeadline);
    DrawResultHeadline(memory, 22, 58, !m_bResultsRead && !m_strHeadline.IsEmpty(), m_strHeadline,
                       m_bResultsRead ? kGoodColour : kAttentionColour, CRect(87, 68, 568, 176));
    DrawSummaryPanel(m_rows.Layout(&memory, 22, 127, 248, 545, 150));
}

void CDlgDefragResults::OnSize(UINT type, int, int) {
    CDlgLeftSideChild::OnSize(type, 0, 0);
    // The base posts a size of its template's that may arrive after the page was resized.
    CRect client;
    GetClientRect(&client);
    const int cx = client.Width();
    const int cy = client.Height();
    PlaceResultButton(m_btnReport, cx, cy, 272);
    PlaceResultButton(m_btnBack, cx, cy, 141);
}
