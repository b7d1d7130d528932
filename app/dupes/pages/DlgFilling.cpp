#include "DlgFilling.h"

#include "DlgDFScanResult.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <SkinPaintDC.h>
#include <owners/WinOwners.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_FILLING_DUPP";
constexpr UINT kFillingAnimation = 1408;
constexpr COLORREF kFigureColour = 0xB4401F;
} // namespace

IMPLEMENT_DYNAMIC(CDlgFilling, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgFilling, CDlgBaseWnd)
ON_WM_SHOWWINDOW()
ON_WM_TIMER()
ON_WM_CTLCOLOR()
ON_WM_PAINT()
ON_WM_SIZE()
END_MESSAGE_MAP()

CDlgFilling::CDlgFilling(CWnd* parent) : CDlgBaseWnd(IDD_DLG_FILLING_DUPP, parent) {}

CDlgFilling::~CDlgFilling() = default;

BOOL CDlgFilling::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    SetCaptions(this, kSection,
                {{IDC_ST_PERC, L"IDC_ST_PERC"},
                 {IDC_ST_PLS_WAIT_DUPP, L"IDC_ST_PLS_WAIT_DUPP"},
                 {IDC_ST_GRP_DP_FILES, L"IDC_ST_GRP_DP_FILES"},
                 {IDC_DUP_FOUND_HEAD, L"IDC_DUP_FOUND_HEAD"},
                 {IDC_ST_GROUPED, L"IDC_ST_GROUPED"},
                 {IDC_BTN_CANCEL_DUPP, L"IDC_BTN_CANCEL_DUPP"}});
    m_progress.SubclassDlgItem(IDC_PROGRESS_FILLING, this);
    m_animation.SubclassDlgItem(IDC_ANIMATE_DUPP, this);
    m_btnCancel.SubclassDlgItem(IDC_BTN_CANCEL_DUPP, this);
    LoadFourFrameStrip(m_btnCancel, 1074);
    StyleLightTextButton(&m_btnCancel);
    m_btnCancel.ShowWindow(SW_HIDE);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_ST_PLS_WAIT_DUPP), SW_HIDE);
    SetDlgItemText(IDC_ST_GRP_DP_FILES, DupeText(L"IDS_GROUPING_GOINGON"));
    if (CDlgDFScanResult* results = TheDupePages().results) {
        // Over the results list, which is hidden while it fills.
        CRect rect = results->ListRectOnScreen();
        MoveWindow(&rect);
        results->ShowList(false);
    }
    CRect client;
    GetClientRect(&client);
    OnSize(SIZE_RESTORED, client.Width(), client.Height());
    return TRUE;
}

void CDlgFilling::OnShowWindow(BOOL show, UINT status) {
    CDlgBaseWnd::OnShowWindow(show, status);
    if (!show || m_bStarted)
        return;
    m_bStarted = true;
    SetTimer(kFillTimer, 160, nullptr);
    m_animation.Open(kFillingAnimation);
    m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    m_progress.SetRange(0, 100);
    if (CDlgDFScanResult* results = TheDupePages().results) {
        results->AttachFillingWindow(&m_progress, GetDlgItem(IDC_ST_PERC));
        SetDlgItemText(IDC_ST_FILLING_HEADING, results->m_strHeading);
    }
}

void CDlgFilling::OnTimer(UINT_PTR id) {
    if (id != kFillTimer)
        return;
    KillTimer(kFillTimer);
    CDlgDFScanResult* results = TheDupePages().results;
    if (results == nullptr || results->FillingProcess()) {
        if (results != nullptr) {
            results->AttachFillingWindow(nullptr, nullptr);
            results->ShowList(true);
        }
        EndDialog(IDOK);
    }
}

HBRUSH CDlgFilling::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    HBRUSH brush = CDlgBaseWnd::OnCtlColor(dc, control, type);
    switch (control->GetDlgCtrlID()) {
    case IDC_ST_GRP_DP_FILES:
    case IDC_ST_FILLING_HEADING:
    case IDC_ST_PERC:
        dc->SetTextColor(kFigureColour);
        break;
    case IDC_ST_GROUPED:
    case IDC_DUP_FOUND_HEAD:
        dc->SetTextColor(kDupeTextColour);
        break;
    default:
        break;
    }
    return brush;
}

void CDlgFilling::OnPaint() {
    // The white ground only; the window's controls draw the rest.
    const CSkinPaintDC memory(this);
}

void CDlgFilling::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    GdiObject<HRGN> region(::CreateRoundRectRgn(0, 0, cx + 1, cy + 1, 18, 18));
    if (region && ::SetWindowRgn(m_hWnd, region.Get(), TRUE) != 0)
        static_cast<void>(region.Release()); // the window owns it now
    if (m_btnCancel.GetSafeHwnd() == nullptr)
        return;
    // The percentage is right-aligned and ends where its word ("listed") begins: 28 pixels
    // from x 375 would cut "100%" short.
    const struct {
        int id, x, y, w, h;
    } places[] = {
        {IDC_ST_PLS_WAIT_DUPP, 53, 95, 120, 28},     {IDC_ST_GRP_DP_FILES, 52, 85, 500, 28},
        {IDC_PROGRESS_FILLING, 24, 120, 490, 15},    {IDC_ST_PERC, 351, 141, 48, 20},
        {IDC_ST_GROUPED, 403, 140, 120, 20},         {IDC_DUP_FOUND_HEAD, 25, 141, 124, 35},
        {IDC_ST_FILLING_HEADING, 149, 141, 200, 20}, {IDC_BTN_CANCEL_DUPP, 375, 209, 120, 28},
        {IDC_ANIMATE_DUPP, 25, 81, 25, 36}};
    for (const auto& place : places) {
        if (CWnd* control = GetDlgItem(place.id))
            control->MoveWindow(place.x, place.y, place.w, place.h);
    }
}
