#include "DlgGroupingSorting.h"

#include "DlgDFScanResult.h"
#include "DlgDFWelCome.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <DupeFinder.h>

#include <PopupServices.h>
#include <SkinPaintDC.h>
#include <UiFonts.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_GROUPING_SORTING";
} // namespace

IMPLEMENT_DYNAMIC(CDlgGroupingSorting, CDlgBaseChildPopUpWndBase)

BEGIN_MESSAGE_MAP(CDlgGroupingSorting, CDlgBaseChildPopUpWndBase)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_BTN_STOP_DUPP, &CDlgGroupingSorting::OnStop)
ON_MESSAGE(kSetStepMessage, &CDlgGroupingSorting::OnSetStepMessage)
END_MESSAGE_MAP()

CDlgGroupingSorting::CDlgGroupingSorting(CWnd* parent, bool fromLoad)
    : CDlgBaseChildPopUpWndBase(IDD_DLG_GROUPING_SORTING, parent), m_bFromLoad(fromLoad) {
    CDupeFinder& finder = DupeHost().Finder();
    finder.SetKeepRunning(true);
    m_nStepCount = finder.Options().content ? 3 : 2;
    SetWindowSize(TRUE, 549, m_nStepCount == 3 ? 336 : 296);
}

CDlgGroupingSorting::~CDlgGroupingSorting() {
    CDupeFinder& finder = DupeHost().Finder();
    finder.SetDigestFileWindow(nullptr);
    finder.SetGroupingStepHook(nullptr, nullptr);
}

BOOL CDlgGroupingSorting::OnInitDialog() {
    CDlgBaseChildPopUpWndBase::OnInitDialog();
    SetCaptions(this, kSection,
                {{IDC_ST_STEP, L"IDC_ST_STEP"},
                 {IDC_ST_STEPNAME, L"IDC_ST_STEPNAME"},
                 {IDC_STATIC_CRC_FILE_NAME, L"IDC_STATIC_CRC_FILE_NAME"},
                 {IDC_BTN_STOP_DUPP, L"IDC_BTN_STOP_DUPP"}});
    m_btnStop.SubclassDlgItem(IDC_BTN_STOP_DUPP, this);
    LoadFourFrameStrip(m_btnStop, 1074);
    StyleLightTextButton(&m_btnStop);
    SetWindowText(DupeText(L"IDS_GRP_HEAD"));
    m_stepBar.SubclassDlgItem(IDC_PROGRESS_STEPS, this);
    m_percentBar.SubclassDlgItem(IDC_PROGRESS_STEP_PERCENT, this);
    m_stepBar.SetRange(0, static_cast<short>(m_nStepCount));
    m_percentBar.SetRange(0, 100);
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    SetStep(1);
    CDupeFinder& finder = DupeHost().Finder();
    SetDlgItemText(IDC_STATIC_CRC_FILE_NAME, L"");
    finder.SetDigestFileWindow(::GetDlgItem(m_hWnd, IDC_STATIC_CRC_FILE_NAME));
    finder.SetGroupingStepHook(&CDlgGroupingSorting::OnGroupingWalkBegins, m_hWnd);
    CentreOverMainWindow(this);
    CDlgDFScanResult* results = TheDupePages().results;
    if (results != nullptr)
        results->AttachGroupingWindow(this, &m_percentBar);
    ::SendDlgItemMessageW(m_hWnd, IDC_ST_STEP, WM_SETFONT,
                          reinterpret_cast<WPARAM>(g_fontUIBold.GetSafeHandle()), TRUE);
    ::SendDlgItemMessageW(m_hWnd, IDC_ST_STEPNAME, WM_SETFONT,
                          reinterpret_cast<WPARAM>(g_fontUI.GetSafeHandle()), TRUE);
    m_bStarted = results != nullptr &&
                 finder.StartGrouping(&CDlgDFScanResult::GroupingCallback, results, m_bFromLoad);
    if (!m_bStarted)
        PostMessage(WM_COMMAND, IDC_BTN_STOP_DUPP);
    return TRUE;
}

void CDlgGroupingSorting::OnGroupingWalkBegins(LPVOID window) {
    const HWND hwnd = static_cast<HWND>(window);
    if (::IsWindow(hwnd) && DupeHost().Finder().KeepRunning())
        ::SendMessageW(hwnd, kSetStepMessage, 0, 0);
}

LRESULT CDlgGroupingSorting::OnSetStepMessage(WPARAM step, LPARAM) {
    // 0: the grouping walk of a set begins.
    const int type = step == 0 ? GroupingStep() : static_cast<int>(step);
    if (type != m_nStepType)
        SetStep(type);
    return 0;
}

void CDlgGroupingSorting::SetStep(int stepType) {
    m_nStepType = stepType;
    if (!DupeHost().Finder().KeepRunning())
        return;
    const HWND fileName = ::GetDlgItem(m_hWnd, IDC_STATIC_CRC_FILE_NAME);
    LPCWSTR nameKey = L"IDS_GRP_PROGRESS";
    if (m_nStepCount == 3) {
        if (stepType == 1) {
            ::ShowWindow(fileName, SW_SHOW);
            nameKey = L"IDS_GEN_CRC";
        } else {
            ::ShowWindow(fileName, SW_HIDE);
            m_percentBar.SetRange(0, 100);
            nameKey = stepType == 2 ? L"IDS_GRP_PROGRESS" : L"IDS_SORT_PROGRESS";
        }
    } else {
        m_percentBar.ShowWindow(SW_SHOW);
        ::ShowWindow(fileName, SW_HIDE);
        m_percentBar.SetRange(0, 100);
        m_percentBar.SetPos(0);
        nameKey = stepType == 1 ? L"IDS_GRP_PROGRESS" : L"IDS_SORT_PROGRESS";
    }
    SetDlgItemText(IDC_ST_STEPNAME, DupeText(nameKey));
    m_stepBar.SetPos(stepType - 1);
    CString step;
    step.Format(DupeText(L"IDS_STEP_STRING"), stepType, m_nStepCount);
    SetDlgItemText(IDC_ST_STEP, step);
}

void CDlgGroupingSorting::OnStop() {
    DupeHost().Finder().StopGrouping();
    EndDialog(IDCANCEL);
    if (CDlgDFWelCome* welcome = TheDupePages().welcome)
        welcome->PostCommandToParent(kDupeWelcomePage);
    if (CDlgDFScanResult* results = TheDupePages().results)
        EnableWizardControls(results, true);
}

HBRUSH CDlgGroupingSorting::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    HBRUSH brush = CDlgBaseChildPopUpWndBase::OnCtlColor(dc, control, type);
    const int id = control->GetDlgCtrlID();
    if (id == IDC_ST_STEP)
        dc->SetTextColor(kDupeHeadingColour);
    else if (id == IDC_ST_STEPNAME || id == IDC_STATIC_CRC_FILE_NAME)
        dc->SetTextColor(kDupeTextColour);
    return brush;
}

void CDlgGroupingSorting::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    PaintWindowFrame(&memory, client);
    if (m_rcNote.IsRectEmpty())
        m_rcNote = CRect(28, client.Height() - 40, 428, client.Height());
    DrawPageText(&memory, DupeText(L"IDS_STOP_GRPING_NOTE"), m_rcNote, kDupeTextColour);
}

void CDlgGroupingSorting::OnSize(UINT type, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    CDlgBaseChildPopUpWndBase::OnSize(type, cx, cy);
    if (m_btnStop.GetSafeHwnd() == nullptr)
        return;
    m_btnStop.MoveWindow(402, m_nStepCount == 2 ? 251 : 291, 120, 28);
    GetDlgItem(IDC_ST_STEP)->MoveWindow(28, 90, 200, 20);
    GetDlgItem(IDC_ST_STEPNAME)->MoveWindow(28, 120, 200, 20);
    m_stepBar.MoveWindow(28, 150, 493, 20);
    m_percentBar.MoveWindow(28, 180, 493, 20);
    GetDlgItem(IDC_STATIC_CRC_FILE_NAME)->MoveWindow(28, 210, 493, 45);
}
