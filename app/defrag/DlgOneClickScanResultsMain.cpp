#include "DlgOneClickScanResultsMain.h"

#include "DlgScanResults.h"
#include "PageTexts.h"
#include "ResultsPageDrawing.h"

#include <PanelDrawing.h>
#include <PopupServices.h>
#include <SkinPaintDC.h>
#include <WindowUtilities.h>

#include <IniReader.h>

#include <memory>

BEGIN_MESSAGE_MAP(CDlgOneClickScanResultsMain, CDlgBaseWndPopupNagBase)
ON_WM_PAINT()
ON_REGISTERED_MESSAGE(g_uWorkDoneMessage, &CDlgOneClickScanResultsMain::OnWorkDone)
END_MESSAGE_MAP()

namespace {
constexpr int kWidth = 675;
constexpr int kHeight = 549;
constexpr NavigationPattern kAnalysisNavigation{FALSE, FALSE, TRUE, FALSE, FALSE, TRUE, TRUE};
} // namespace

CDlgOneClickScanResultsMain::CDlgOneClickScanResultsMain(CWnd* parent,
                                                         ResultsPageServices& services)
    : CDlgBaseWndPopupNagBase(kOneClickSummaryTemplateId, parent), m_services(services) {
    SetWindowSize(TRUE, kWidth, kHeight);
    // The summary has nothing to decide: its close box ends the overlay it runs over.
    m_bHasCloseBox = 1;
}

CDlgOneClickScanResultsMain::~CDlgOneClickScanResultsMain() = default;

BOOL CDlgOneClickScanResultsMain::OnInitDialog() {
    const BOOL result = CDlgBaseWndPopupNagBase::OnInitDialog();
    m_icons.Load();
    SetWindowText(AppText(L"SCANTAB3HEADING"));
    SetForegroundWindow();
    static_cast<void>(ForceForegroundWindow(m_hWnd));
    BringWindowToTop();
    SetActiveWindow();
    CenterWindow(GetParent());
    ReadResults();
    return result;
}

void CDlgOneClickScanResultsMain::ReadResults() {
    m_strHeadline = AppText(L"IDS_READING_ANALYSIS");
    m_worker.SetWindow(m_hWnd);
    auto results = std::make_shared<RunResults>();
    ResultsPageServices& services = m_services;
    m_worker.Run(
        [results, &services](const CWorkerQueue::CancelCheck& cancelled) {
            services.ReadServiceResults(*results, cancelled);
        },
        [this, results] { FillResults(*results); });
}

LRESULT CDlgOneClickScanResultsMain::OnWorkDone(WPARAM, LPARAM) {
    m_worker.DeliverDone();
    return 0;
}

void CDlgOneClickScanResultsMain::FillResults(const RunResults& results) {
    const wchar_t drive = m_services.CurrentDrive();
    m_summary = SummariseAnalysis(results);
    if (m_summary.usable) {
        m_services.SaveLastScanDate();
        SaveAnalysisLastScan(m_services, m_summary, drive);
    }
    m_services.UnlockMainWindow(kAnalysisNavigation);

    m_rows.Clear();
    const CString unavailable = AppText(L"IDS_NOT_AVAILABLE");
    const auto value = [&](const CString& text) { return m_summary.usable ? text : unavailable; };
    m_rows.Add(m_icons.Neutral(), kNeutralColour, AppText(L"IDS_TOTAL_FILES"),
               value(m_summary.filesText + L" " + AppText(L"IDS_FILES")));
    m_rows.Add(m_icons.Attention(), kAttentionColour, AppText(L"IDS_FRAGMENTED_FILES"),
               value(AppTextFormat(L"IDS_NUM_FILES", m_summary.fragmentedFilesText.GetString())));
    m_rows.Add(m_icons.Attention(), kAttentionColour,
               GetLangString(L"IDS_VOL_FRAGMENTATION", L"Pelq"), value(m_summary.diskText));
    m_rows.Add(m_icons.Attention(), kAttentionColour, AppText(L"IDS_DATA_FRAGMENTATION"),
               value(m_summary.dataText));
    m_rows.Add(m_icons.Good(), kGoodColour, AppText(L"IDS_LARGEST_CONT_SPACE"),
               value(m_summary.largestFreeText));
    m_strHeadline = m_summary.usable
                        ? AppTextFormat(L"IDS_FRAG_FOUND", m_summary.diskText.GetString(),
                                        LastDriveText(drive).GetString())
                        : AppTextFormat(L"IDS_RESULTS_NOT_READ", LastDriveText(drive).GetString());
    Invalidate();
}

void CDlgOneClickScanResultsMain::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    PaintWindowFrame(&memory, client);
    DrawPageTitle(&memory, client, FALSE);
    DrawPanelFrameEx(&memory, 28, 97, TRUE, client.Width() - 56);
    m_strHeadline = CutSentence(m_strHeadline);
    DrawResultText(memory, m_strHeadline, kAttentionColour, CRect(93, 107, 580, 208));
    DrawSummaryPanel(m_rows.Layout(&memory, 28, 167, 309, client.Width() - 59, 152));
}

void RunOneClickScanSummary(CWnd* parent, ResultsPageServices& services) {
    CDlgOneClickScanResultsMain summary(parent, services);
    static_cast<void>(RunPopupOverParent(parent, &summary, kOneClickSummaryTemplateId));
}
