#include "DlgScanResults.h"

#include "PageTexts.h"
#include "ResultsPageDrawing.h"
#include "ResultsPagesResource.h"

#include <SkinPaintDC.h>

#include <utility>

BEGIN_MESSAGE_MAP(CDlgScanResults, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDB_BTN_CANCEL, &CDlgScanResults::OnBack)
ON_BN_CLICKED(IDC_BTN_START_DEFRAG, &CDlgScanResults::OnDefragment)
ON_BN_CLICKED(IDC_REPORT, &CDlgScanResults::OnViewReport)
END_MESSAGE_MAP()

namespace {
// Back, report, start; the whole analysis page's navigation after an analysis.
constexpr NavigationPattern kAnalysisNavigation{FALSE, FALSE, TRUE, FALSE, FALSE, TRUE, TRUE};
constexpr int kRowCount = 4;
constexpr COLORREF kNoteColour = RGB(0x48, 0x51, 0x5A);
const CRect kNoteRect(24, 327, 567, 367);
} // namespace

CString ResultsDriveText(wchar_t drive) {
    wchar_t root[] = L"?:\\";
    root[0] = drive;
    wchar_t label[256] = L"";
    // A label that cannot be read shows as none.
    if (!::GetVolumeInformationW(root, label, 256, nullptr, nullptr, nullptr, nullptr, 0))
        label[0] = L'\0';
    wchar_t system[MAX_PATH] = L"";
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    const CString driveColon = CString(root).Left(2);
    if (length >= 2 && driveColon == CString(system).Left(2))
        return L"(" + driveColon + L") " + label + L" (" + AppText(L"IDS_SYS_DRIVE") + L")";
    return L"(" + driveColon + L")" + label;
}

CString CutSentence(const CString& sentence) {
    return sentence.GetLength() > 50 ? sentence.Left(50) + L" ..." : sentence;
}

CDlgScanResults::CDlgScanResults(CWnd* parent)
    : CDlgLeftSideChild(kScanResultsTemplateId, parent) {}

CDlgScanResults::~CDlgScanResults() = default;

BOOL CDlgScanResults::OnInitDialog() {
    const BOOL result = CDlgLeftSideChild::OnInitDialog();
    m_btnDefragment.SubclassDlgItem(IDC_BTN_START_DEFRAG, this);
    m_btnBack.SubclassDlgItem(IDB_BTN_CANCEL, this);
    m_btnReport.SubclassDlgItem(IDC_REPORT, this);
    SetWindowText(AppText(L"SCANTAB3HEADING"));
    SetDlgItemText(IDC_ST_RESULTS_NOTE, AppText(L"IDC_ST_RESULTS_NOTE", kScanResultsLangSection));
    m_icons.Load();
    StyleResultButton(*this, m_btnDefragment, true,
                      AppText(L"IDC_BTN_START_DEFRAG", kScanResultsLangSection));
    StyleResultButton(*this, m_btnBack, false, AppText(L"IDB_BTN_CANCEL", kScanResultsLangSection));
    StyleResultButton(*this, m_btnReport, false, AppText(L"IDC_REPORT", kScanResultsLangSection));
    const wchar_t* labels[kRowCount] = {L"IDS_TOTAL_FRAG_FOUND", L"IDS_LARGEST_CONT_SPACE",
                                        L"IDS_NUM_FRAGFILES_FOUND", L"IDS_DEFRAG_REQ"};
    for (const wchar_t* label : labels)
        m_rows.Add(m_icons.Attention(), kAttentionColour, AppText(label), CString());
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    return result;
}

void CDlgScanResults::ShowResults(std::shared_ptr<const RunResults> results) {
    if (m_pServices == nullptr)
        return;
    m_results = results ? std::move(results) : std::make_shared<const RunResults>();
    const wchar_t drive = m_pServices->CurrentDrive();
    m_summary = SummariseAnalysis(*m_results);
    m_strDriveText = ResultsDriveText(drive);
    if (m_summary.usable) {
        m_pServices->SaveLastScanDate();
        SaveAnalysisLastScan(*m_pServices, m_summary, drive);
    }
    m_pServices->UnlockMainWindow(kAnalysisNavigation);
    m_btnReport.EnableWindow(m_summary.usable);
    m_btnDefragment.EnableWindow(m_summary.usable && m_summary.recommended);
    if (!m_summary.usable)
        m_strSentence = AppTextFormat(L"IDS_RESULTS_NOT_READ", LastDriveText(drive).GetString());
    else if (m_summary.recommended)
        m_strSentence = AppText(L"IDS_DEFRAG_REQ_OPT");
    else
        m_strSentence = AppTextFormat(L"IDS_NO_DEFRAG_REQ_OPT", LastDriveText(drive).GetString());
    FillRows();
    Invalidate();
}

void CDlgScanResults::FillRows() {
    if (!m_summary.usable) {
        const CString unavailable = AppText(L"IDS_NOT_AVAILABLE");
        for (int row = 0; row < kRowCount; ++row)
            m_rows.Set(row, m_icons.Attention(), kAttentionColour, unavailable);
        return;
    }
    m_rows.Set(0, m_icons.Attention(), kAttentionColour, m_summary.diskText);
    m_rows.Set(1, m_icons.Attention(), kAttentionColour, m_summary.largestFreeText);
    m_rows.Set(2, m_icons.Attention(), kAttentionColour,
               AppTextFormat(L"IDS_NUM_FILES", m_summary.fragmentedFilesText.GetString()));
    if (m_summary.recommended)
        m_rows.Set(3, m_icons.Attention(), kAttentionColour, AppText(L"IDS_YES"));
    else
        m_rows.Set(3, m_icons.Good(), kGoodColour, AppText(L"IDS_NO"));
}

void CDlgScanResults::OnBack() {
    if (m_pServices == nullptr)
        return;
    const wchar_t drive = m_pServices->CurrentDrive();
    // The service keeps the results until released; a refusal changes nothing for the user.
    static_cast<void>(m_pServices->SendReleaseCommand(drive));
    m_pServices->ShowHomePage(drive);
}

void CDlgScanResults::OnDefragment() {
    if (m_pServices == nullptr)
        return;
    const wchar_t drive = m_pServices->CurrentDrive();
    // The job's own first commands release the analysis's results.
    if (!m_pServices->MakeServiceReady())
        m_pServices->ConfigureService();
    // The progress page tells the user itself when the job could not be sent.
    static_cast<void>(m_pServices->StartDefragmentation(drive, m_strDriveText));
}

void CDlgScanResults::OnViewReport() {
    if (m_pServices == nullptr)
        return;
    ReportRequest request;
    request.figures.diskBefore = m_summary.disk;
    request.figures.dataBefore = m_summary.data;
    request.results = m_results;
    m_pServices->WriteReport(request);
}

void CDlgScanResults::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, TRUE);
    const bool attention = !m_summary.usable || m_summary.recommended;
    m_strSentence = CutSentence(m_strSentence);
    DrawResultHeadline(memory, 22, 58, attention, m_strSentence,
                       attention ? kAttentionColour : kGoodColour, CRect(87, 68, 568, 176));
    DrawSummaryPanel(m_rows.Layout(&memory, 22, 127, 188, 545, 150));
}

void CDlgScanResults::OnSize(UINT type, int, int) {
    CDlgLeftSideChild::OnSize(type, 0, 0);
    // The base posts a size of its template's that may arrive after the page was resized.
    CRect client;
    GetClientRect(&client);
    const int cx = client.Width();
    const int cy = client.Height();
    PlaceResultButton(m_btnBack, cx, cy, 403);
    PlaceResultButton(m_btnReport, cx, cy, 272);
    PlaceResultButton(m_btnDefragment, cx, cy, 141);
    // The note under the summary panel, as wide as the panel.
    if (CWnd* note = GetDlgItem(IDC_ST_RESULTS_NOTE))
        note->MoveWindow(kNoteRect.left, kNoteRect.top, kNoteRect.Width(), kNoteRect.Height());
}

HBRUSH CDlgScanResults::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    const HBRUSH brush = CDlgLeftSideChild::OnCtlColor(dc, control, type);
    if (control != nullptr && control->GetDlgCtrlID() == IDC_ST_RESULTS_NOTE)
        dc->SetTextColor(kNoteColour);
    return brush;
}
