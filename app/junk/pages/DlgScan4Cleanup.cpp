#include "DlgScan4Cleanup.h"

#include <DlgLeftDlgBase.h>
#include <SelectedFont.h>
#include <PanelDrawing.h>
#include <SkinPaintDC.h>
#include <LauncherStatus.h>

#include "JunkMessages.h"
#include "JunkPagesResource.h"
#include "AppState.h"
#include "ProductIdentity.h"
#include "SizeTexts.h"
#include "UiFonts.h"
#include "VantorixApp.h"

bool g_bJunkRestorePointOffered = false;

namespace {
const UINT kDeleteOutputMessage = JunkMessages().deleteOutput;
const UINT kDeleteFinishedMessage = JunkMessages().deleteFinished;
constexpr wchar_t kSection[] = L"IDD_SCANTAB4_CLEANUP";
constexpr UINT kCleaningAnimation = 5021;
constexpr COLORREF kTextColour = RGB(72, 81, 90);
constexpr int kLastProgressBeforeEnd = 98;
} // namespace

BEGIN_MESSAGE_MAP(CDlgScan4Cleanup, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_BTN_CANCEL, &CDlgScan4Cleanup::OnStop)
ON_REGISTERED_MESSAGE(kDeleteOutputMessage, &CDlgScan4Cleanup::OnDeleteOutput)
ON_REGISTERED_MESSAGE(kDeleteFinishedMessage, &CDlgScan4Cleanup::OnDeleteFinished)
END_MESSAGE_MAP()

CDlgScan4Cleanup::CDlgScan4Cleanup(CWnd* parent)
    : CDlgLeftSideChild(IDD_SCANTAB4_CLEANUP, parent) {}

CDlgScan4Cleanup::~CDlgScan4Cleanup() {
    if (g_junkPages.cleanup == this)
        g_junkPages.cleanup = nullptr;
}

BOOL CDlgScan4Cleanup::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    m_progress.SubclassDlgItem(IDC_CLEAN_PROGRESS, this);
    m_currentFile.SubclassDlgItem(IDC_CURRENT_FILENAME, this);
    m_stopButton.SubclassDlgItem(IDC_BTN_CANCEL, this);
    m_animation.SubclassDlgItem(IDC_CLEAN_ANIMATION, this);
    SetControlText(this, IDC_CURRENT_FILENAME, kSection, L"IDC_CURRENT_FILENAME");
    SetControlText(this, IDC_BTN_CANCEL, kSection, L"IDC_BTN_CANCEL");
    m_currentFile.SetWindowText(L"");
    SetWindowText(JunkText(L"SCANDLG4"));
    StyleJunkButton(m_stopButton, true);
    m_progress.SetWindowPos(nullptr, 62, 325, 470, 20, SWP_NOZORDER);
    m_currentFile.SetWindowPos(nullptr, 62, 355, 470, 40, SWP_NOZORDER);
    m_animation.SetWindowPos(nullptr, 62, 251, 65, 65, SWP_NOZORDER);
    m_progress.SetRange(0, 100);
    LayOutNow(this);
    g_junkPages.cleanup = this;
    m_progress.SetFocus();
    return FALSE;
}

void CDlgScan4Cleanup::OnSize(UINT type, int cx, int cy) {
    CDlgLeftSideChild::OnSize(type, cx, cy);
    TakeCurrentClientSize(this, cx, cy);
    PlaceBottomButton(m_stopButton, cx, cy, 141);
}

HBRUSH CDlgScan4Cleanup::OnCtlColor(CDC* dc, CWnd* control, UINT type) {
    if (control && control->m_hWnd == m_currentFile.m_hWnd) {
        // The label lies on the rounded panel: its fill makes it look transparent.
        static const HBRUSH panel = ::CreateSolidBrush(RGB(234, 241, 249));
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(RGB(0, 0, 0));
        return panel;
    }
    return CDlgLeftSideChild::OnCtlColor(dc, control, type);
}

void CDlgScan4Cleanup::OnTimer(UINT_PTR id) {
    KillTimer(id);
    if (id == kStartCleaningTimer) {
        if (m_animation.Open(kCleaningAnimation) && m_animation.Play(0, UINT(-1), UINT(-1)))
            m_animation.ShowWindow(SW_SHOW);
        StartCleaning();
    } else if (id == kStopCleaningTimer) {
        OnStop();
    }
}

void CDlgScan4Cleanup::StartCleaning() {
    // The running worker reads the selection: a second start must not replace it.
    if (g_pJunkFinder && g_pJunkFinder->IsWorking())
        return;
    JunkPageServices& services = JunkServices();
    services.EnableTabButtons(false);
    services.EnableCloseControls(false);
    if (CDlgLeftDlgBase* panel = services.Panel()) {
        panel->EnableNavButtons(FALSE, FALSE, FALSE, TRUE, FALSE, FALSE, FALSE);
        panel->DisableActionButtons();
    }
    CVantorixApp* app = JunkApp();
    m_bDirectRemove = !services.IsHiddenStart() && !services.IsAutomaticMode() && app &&
                      app->GetProfileInt(L"Removal", L"DirectFastRemove", 0) != 0;
    InvalidateRect(&m_descriptionRect, TRUE);
    if (!g_pJunkFinder)
        return;
    JunkScanOptions options = g_pJunkFinder->GetOptions();
    options.directRemove = m_bDirectRemove;
    g_pJunkFinder->SetOptions(options);

    m_selection = std::make_unique<CIndexArray>();
    for (INT_PTR i = 0; i < g_pJunkFinder->GetFoundCount(); ++i) {
        const CJunkItem* item = g_pJunkFinder->GetFoundItem(i);
        if (item && item->checked)
            m_selection->Add(static_cast<int>(i));
    }
    if (m_selection->GetSize() > 0 && !services.IsAutomaticMode() && !g_bJunkRestorePointOffered) {
        g_bJunkRestorePointOffered = true;
        const CString description = GetProductShortName() + L" : " + GetAppTitle();
        CWaitCursor wait;
        m_stopButton.EnableWindow(FALSE);
        static_cast<void>(services.CreateRestorePoint(this, description));
        m_stopButton.EnableWindow(TRUE);
    }
    // Taken here too: an unattended run never paints the results page that computes it.
    FormatSizeWithUnits(g_junkRun.savingsText, false, g_pJunkFinder->GetSelectedSize());
    m_progress.SetPos(0);
    m_stopButton.EnableWindow(TRUE);
    m_stopButton.SetFocus();
    m_nItemsBefore = static_cast<int>(g_pJunkFinder->GetFoundCount());
    if (!g_pJunkFinder->StartDeletion(m_selection.get())) {
        // No worker: finish at once so that the page never waits for one.
        OnDeleteFinished(TRUE, 0);
    }
}

void CDlgScan4Cleanup::StopAnimation() {
    m_animation.Stop();
    m_animation.Close();
    m_animation.ShowWindow(SW_HIDE);
}

void CDlgScan4Cleanup::OnStop() {
    if (g_pJunkFinder)
        g_pJunkFinder->RequestDeleteStop();
    m_stopButton.EnableWindow(FALSE);
    StopAnimation();
}

LRESULT CDlgScan4Cleanup::OnDeleteOutput(WPARAM wParam, LPARAM lParam) {
    const auto* path = reinterpret_cast<const wchar_t*>(wParam);
    m_currentFile.SetWindowText(path ? path : L"");
    MSG message;
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    m_progress.SetPos(static_cast<int>(lParam) > kLastProgressBeforeEnd ? kLastProgressBeforeEnd
                                                                        : static_cast<int>(lParam));
    return 1;
}

LRESULT CDlgScan4Cleanup::OnDeleteFinished(WPARAM, LPARAM) {
    JunkPageServices& services = JunkServices();
    services.EnableTabButtons(true);
    services.EnableCloseControls(true);
    if (CDlgLeftDlgBase* panel = services.Panel()) {
        panel->EnableNavButtons(FALSE, FALSE, TRUE, FALSE, TRUE, TRUE, TRUE);
        panel->EnableActionButtons();
    }
    if (services.IsAutomaticMode())
        CountRemainingItems();
    const int left = g_pJunkFinder ? static_cast<int>(g_pJunkFinder->GetFoundCount()) : 0;
    // Counted from what is really gone: the engine keeps every item whose file survived.
    g_junkRun.cleaned = g_junkRun.found - left;
    // The running total grows by what this cleaning removed: a second cleaning of the same
    // scan's results must not count the first one's items again.
    const int removedNow = m_nItemsBefore - left;
    if (CVantorixApp* app = JunkApp())
        static_cast<void>(
            app->SetSettingDword(L"PF_4", app->GetSettingDword(L"PF_4") + removedNow));
    CString message;
    message.Format(L"%d junk %s detected, %d cleaned\r\n%s", g_junkRun.found,
                   ItemWord(g_junkRun.found), g_junkRun.cleaned,
                   JunkApp() ? JunkApp()->GetSettingString(L"PF_1") : L"");
    CString home;
    home.Format(L"%d junk %s found", left, ItemWord(left));
    WriteLauncherStatus(kJunkLauncherModule, left == 0 ? 1 : 0, message, home, COleDateTime());
    m_currentFile.SetWindowText(JunkText(L"IDS_CLEANING_COMPLETED"));
    m_progress.SetPos(100);
    StopAnimation();
    ShowJunkPage(kJunkSummaryPage);
    return 0;
}

void CDlgScan4Cleanup::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, TRUE);
    memory.SetBkMode(TRANSPARENT);
    const JunkRunCounters& run = g_junkRun;
    CString heading;
    heading.Format(L"%d ", run.Total());
    DrawPageHeading(memory, heading + JunkText(L"IDS_DLG4_JIF"), RGB(168, 0, 0),
                    CRect(100, 75, 500, 102));
    DrawRoundedPanel(&memory, 21, 130, 400, 545);
    memory.SetTextColor(kTextColour);
    {
        CSelectedFont font(memory.GetSafeHdc(),
                           static_cast<HFONT>(g_fontPlus2Medium.GetSafeHandle()));
        CString line;
        line.Format(JunkText(L"IDS_DLG4_CLEANERROR"), run.Checked(), run.Total());
        CRect rect(62, 150, 563, 167);
        memory.DrawText(line, &rect, DT_SINGLELINE | DT_VCENTER);
    }
    {
        CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        CRect description = m_descriptionRect;
        memory.DrawText(
            JunkText(m_bDirectRemove ? L"IDS_DLG4_SYSCLEAN_DESC_DR" : L"IDS_DLG4_SYSCLEAN_DESC_RB"),
            &description, DT_WORDBREAK);
        CPen pen(PS_SOLID, 1, RGB(237, 237, 237));
        CPen* previous = memory.SelectObject(&pen);
        memory.MoveTo(30, 230);
        memory.LineTo(555, 230);
        memory.SelectObject(previous);
        CRect progressLabel(129, 255, 429, 272);
        memory.DrawText(JunkText(L"IDS_DLG4_CLEANPROGRESS"), &progressLabel, DT_SINGLELINE);
    }
}
