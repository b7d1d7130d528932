#include "DlgDFCleaning.h"

#include "DlgDFScanResult.h"
#include "DupePageIds.h"
#include "DupeWizard.h"

#include <SkinPaintDC.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_DF_CLEANING";
} // namespace

IMPLEMENT_DYNAMIC(CDlgDFCleaning, CDlgLeftSideChild)

BEGIN_MESSAGE_MAP(CDlgDFCleaning, CDlgLeftSideChild)
ON_WM_PAINT()
ON_WM_SIZE()
ON_BN_CLICKED(IDC_BTN_CANCEL_DUPP, &CDlgDFCleaning::OnCancelCleaning)
END_MESSAGE_MAP()

CDlgDFCleaning::CDlgDFCleaning(CWnd* parent) : CDlgLeftSideChild(IDD_DLG_DF_CLEANING, parent) {
    TheDupePages().cleaning = this;
}

CDlgDFCleaning::~CDlgDFCleaning() {
    if (TheDupePages().cleaning == this)
        TheDupePages().cleaning = nullptr;
}

BOOL CDlgDFCleaning::OnInitDialog() {
    CDlgLeftSideChild::OnInitDialog();
    SetWindowText(DupeText(L"SCANTAB5"));
    m_progress.SubclassDlgItem(IDC_PROGRESS_CLEANING, this);
    m_animation.SubclassDlgItem(IDC_ANIMATE_DUPP, this);
    m_btnCancel.SubclassDlgItem(IDC_BTN_CANCEL_DUPP, this);
    LoadFourFrameStrip(m_btnCancel, 1074);
    StyleLightTextButton(&m_btnCancel);
    SetCaptions(this, kSection, {{IDC_BTN_CANCEL_DUPP, L"IDC_BTN_CANCEL_DUPP"}});
    OnSize(SIZE_RESTORED, kDupePageWidth, kDupePageHeight);
    return TRUE;
}

void CDlgDFCleaning::Prepare(int selected) {
    m_nRemoved = 0;
    m_nSelected = selected;
    m_strSelectedCount = GroupedNumber(selected);
    m_strSelectedLine = FormatGroupedCount(L"IDS_NUM_DUPFILES_SELECTED", selected);
    m_progress.SetRange32(0, selected);
    m_progress.SetPos(0);
    SetDlgItemText(IDC_CURRENT_SCAN_ITEM_DUPP, L"");
    m_btnCancel.EnableWindow(TRUE);
    Invalidate();
}

void CDlgDFCleaning::PlayAnimation(bool play) {
    if (play) {
        m_animation.Open(kCleaningAnimation);
        m_animation.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    } else {
        m_animation.Stop();
    }
}

void CDlgDFCleaning::OnFileStarted(const CString& path) {
    ::SetDlgItemTextW(m_hWnd, IDC_CURRENT_SCAN_ITEM_DUPP, path);
}

void CDlgDFCleaning::OnFileRemoved(int removedSoFar) {
    m_nRemoved = removedSoFar;
    ::SendMessageW(m_progress.m_hWnd, PBM_SETPOS, static_cast<WPARAM>(removedSoFar), 0);
}

void CDlgDFCleaning::OnCancelCleaning() {
    m_btnCancel.EnableWindow(FALSE);
    if (CDlgDFScanResult* results = TheDupePages().results)
        results->CancelCleaning();
}

void CDlgDFCleaning::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawPageTitle(&memory, client, FALSE);
    DrawPageText(&memory, DupeText(L"IDS_DUPREM_DESC"), RECT{22, 54, 570, 100}, kDupeTextColour);
    DrawPageText(&memory, DupeText(L"IDS_DUPREM_STAT_HEAD"), RECT{22, 110, 570, 130},
                 kDupeHeadingColour, DT_SINGLELINE);
    DrawPageText(&memory, CutTo50(m_strSelectedLine), RECT{22, 136, 570, 156}, kDupeTextColour,
                 DT_SINGLELINE);
    DrawPageText(&memory, DupeText(L"IDS_REMOVING_SEL_FILES"), RECT{22, 170, 570, 190},
                 kDupeTextColour, DT_SINGLELINE);
    if (m_rcNote.IsRectEmpty())
        m_rcNote = CRect(22, client.Height() - 34, 400, client.Height() + 6);
    DrawPageText(&memory, DupeText(L"IDS_NOTE_CLENING_PROCESS"), m_rcNote, kDupeTextColour);
}

void CDlgDFCleaning::OnSize(UINT, int, int) {
    // A size posted while the window was made may be stale: the window\'s own counts.
    const CSize client = ClientSizeOf(this);
    const int cx = client.cx;
    const int cy = client.cy;
    if (m_btnCancel.GetSafeHwnd() == nullptr)
        return;
    m_animation.MoveWindow(22, 196, 134, 13);
    m_progress.MoveWindow(22, 218, 548, 16);
    GetDlgItem(IDC_CURRENT_SCAN_ITEM_DUPP)->MoveWindow(22, 242, 548, 34);
    m_btnCancel.MoveWindow(cx - 141, cy - 40, 120, 28);
}
