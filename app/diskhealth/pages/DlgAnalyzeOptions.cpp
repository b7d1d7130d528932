#include "DlgAnalyzeOptions.h"

#include "DiskPageTexts.h"
#include "DiskPagesResource.h"

#include <SkinPaintDC.h>
#include <TextButtonStyle.h>
#include <WindowUtilities.h>

#include <SelectedFont.h>
#include <UiFonts.h>

namespace {
constexpr wchar_t kSection[] = L"IDD_DLG_ANALYZE_OPTIONS";
constexpr int kWidth = 540;
constexpr int kHeight = 325;
constexpr UINT_PTR kKeyboardTimer = 1;
// Ticks of the keyboard timer to wait for the overlay to show (about two seconds).
constexpr int kKeyboardWaitLimit = 200;
} // namespace

BEGIN_MESSAGE_MAP(CDlgAnalyzeOptions, CDlgBaseWndPopupNagBase)
ON_WM_PAINT()
ON_WM_TIMER()
ON_BN_CLICKED(ID_BTN_DEFAULT_DISKDOC, &CDlgAnalyzeOptions::OnDefault)
ON_BN_CLICKED(IDBTN_SCANNOW_DISKDOC, &CDlgAnalyzeOptions::OnScanNow)
END_MESSAGE_MAP()

CDlgAnalyzeOptions::CDlgAnalyzeOptions(CWnd* owner)
    : CDlgBaseWndPopupNagBase(IDD_DLG_ANALYZE_OPTIONS, owner) {
    SetWindowSize(TRUE, kWidth, kHeight);
    // A way out without a choice: the close box, which (like Escape) answers Cancel.
    m_bHasCloseBox = 1;
    m_nResultCode = IDCANCEL;
}

BOOL CDlgAnalyzeOptions::OnInitDialog() {
    CDlgBaseWndPopupNagBase::OnInitDialog();
    SetWindowText(AppText(L"ID_BTN_HEAD_DLG_ANALYZE_OPTIONS", kDiskToolsSection));
    SetControlTexts(this, kSection, kDiskCheckModeTexts);
    SetDlgItemText(IDC_ST_DLG_HEADING, AppText(L"IDC_ST_DLG_HEADING", kSection));
    m_defaultButton.SubclassDlgItem(ID_BTN_DEFAULT_DISKDOC, this);
    StyleTextButton(&m_defaultButton, true, false, false);
    m_defaultButton.SetWindowText(AppText(L"ID_BTN_DEFAULT_DISKDOC", kSection));
    m_scanNowButton.SubclassDlgItem(IDBTN_SCANNOW_DISKDOC, this);
    StyleTextButton(&m_scanNowButton, true, true, false);
    m_scanNowButton.SetWindowText(AppText(L"IDBTN_SCANNOW_DISKDOC", kSection));

    auto place = [this](int id, int x, int y, int width, int height) {
        if (CWnd* control = GetDlgItem(id))
            control->MoveWindow(x, y, width, height);
    };
    place(IDC_ST_DLG_HEADING, 30, 85, 480, 38);
    place(IDC_RADIO_NORMAL, 30, 136, 400, 21);
    place(IDC_ST_NORMAL_ANALYSIS, 50, 159, 400, 21);
    place(IDC_RADIO_THOROUGH, 30, 193, 400, 21);
    place(IDC_ST_THOROUGH_ANA, 50, 216, 400, 21);
    place(IDC_ST_LOCATES_BAD_SEC, 50, 239, 400, 21);
    place(ID_BTN_DEFAULT_DISKDOC, 260, 280, 120, 28);
    place(IDBTN_SCANNOW_DISKDOC, 390, 280, 120, 28);
    CheckRadioButton(IDC_RADIO_NORMAL, IDC_RADIO_THOROUGH, IDC_RADIO_NORMAL);
    // The overlay under the pop-up shows (and takes the activation) once its modal loop is
    // idle; the keyboard comes back here after that, so that Escape works without a click.
    SetTimer(kKeyboardTimer, 10, nullptr);
    return TRUE;
}

void CDlgAnalyzeOptions::OnTimer(UINT_PTR id) {
    if (id != kKeyboardTimer)
        return;
    const HWND overlay = ::GetWindow(m_hWnd, GW_OWNER);
    if (overlay != nullptr && !::IsWindowVisible(overlay) &&
        ++m_nKeyboardWaits < kKeyboardWaitLimit)
        return;
    KillTimer(id);
    static_cast<void>(ForceForegroundWindow(m_hWnd)); // the focus below is what counts
    SetActiveWindow();
    GotoDlgCtrl(GetDlgItem(IsDlgButtonChecked(IDC_RADIO_THOROUGH) == BST_CHECKED
                               ? IDC_RADIO_THOROUGH
                               : IDC_RADIO_NORMAL));
}

void CDlgAnalyzeOptions::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    PaintWindowFrame(&memory, client);
    CString title;
    GetWindowText(title);
    CSelectedFont font(memory.GetSafeHdc(), static_cast<HFONT>(g_fontUILarge.GetSafeHandle()));
    memory.SetBkMode(TRANSPARENT);
    memory.SetTextColor(0x323232);
    CRect titleRect(30, 47, 380, 72);
    memory.DrawText(title, &titleRect, DT_SINGLELINE | DT_VCENTER);
    CRect separator(30, 76, client.right - 30, 77);
    memory.FillSolidRect(&separator, 0xDEDEDE);
}

void CDlgAnalyzeOptions::OnDefault() {
    CheckRadioButton(IDC_RADIO_NORMAL, IDC_RADIO_THOROUGH, IDC_RADIO_NORMAL);
}

void CDlgAnalyzeOptions::OnScanNow() {
    m_normal = IsDlgButtonChecked(IDC_RADIO_NORMAL) == BST_CHECKED;
    m_thorough = IsDlgButtonChecked(IDC_RADIO_THOROUGH) == BST_CHECKED;
    OnOK();
}
