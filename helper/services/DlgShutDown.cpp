#include "DlgShutDown.h"

#include "BitmapDrawing.h"
#include "DialogDrawing.h"
#include "SelectedFont.h"
#include "InfoDialogActions.h"
#include "PopupServices.h"
#include "STBitmap.h"
#include "SkinPaintDC.h"
#include "TextButtonStyle.h"
#include "IniReader.h"
#include "Paths.h"
#include "SystemInfo.h"
#include "UiFonts.h"

#include <classlib/App.h>

IMPLEMENT_DYNAMIC(CDlgShutDown, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgShutDown, CDlgBaseWndPopupNagBase)
ON_WM_PAINT()
ON_BN_CLICKED(IDOK, &CDlgShutDown::OnShutDownNow)
ON_BN_CLICKED(IDCANCEL, &CDlgShutDown::OnBtnClose)
ON_BN_CLICKED(1184, &CDlgShutDown::OnBtnClose)
ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {
constexpr UINT kCloseButtonId = 1184;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kShutdownReason = 16; // SHTDN_REASON_FLAG_PLANNED's minor: maintenance
const CRect kCountdownArea(530, 53, 590, 80);
constexpr COLORREF kText = 0x141414;
constexpr COLORREF kBoxPen = 0xC0E9D1;

CString PelqText(LPCWSTR key) {
    return GetLangString(key, L"PELQ");
}

void DrawRoundedBox(CDC* dc, const CRect& box) {
    DrawRoundedOutline(dc, box, 8, kBoxPen);
}

// A Windows update waits for the next start (Windows Vista and later).
bool IsWindowsUpdatePending() {
    wchar_t windows[MAX_PATH] = {};
    if (GetWindowsDirectoryW(windows, MAX_PATH) == 0)
        return false;
    CString pending(windows);
    AppendPath(pending, L"winsxs\\pending.xml");
    return GetOsMajorVersion() > 5 && PathExists(pending) == 1;
}
} // namespace

CDlgShutDown::CDlgShutDown(CWnd* parent) : CDlgBaseWndPopupNagBase(kTemplate, parent) {
    SetWindowSize(TRUE, m_nWidth, m_nHeight);
}

CDlgShutDown::~CDlgShutDown() = default;

void CDlgShutDown::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWndPopupNagBase::DoDataExchange(dx);
    DDX_Control(dx, IDOK, m_okButton);
    DDX_Control(dx, IDCANCEL, m_cancelButton);
}

BOOL CDlgShutDown::OnInitDialog() {
    CDlgBaseWndPopupNagBase::OnInitDialog();
    SetDlgItemText(IDOK, GetLangString(L"IDOK", L"IDD_DLG_SHUTDOWN"));
    SetDlgItemText(IDCANCEL, GetLangString(L"IDCANCEL", L"IDD_DLG_SHUTDOWN"));
    // The frame painter draws the window's text as the title, white in the caption.
    SetWindowText(PelqText(m_bRestart ? L"IDS_RESTART_ALERT" : L"IDS_SHUTDOWN_ALERT"));
    if (CWnd* main = AfxGetMainWnd(); main != nullptr && ::IsWindow(main->GetSafeHwnd()))
        CenterWindow(main);

    CRect client;
    GetClientRect(&client);
    const CRect closePlace(client.right - 7 - 23, 3, client.right - 7, 26);
    if (m_closeButton.Create(L"", kButtonStyle, closePlace, this, kCloseButtonId))
        m_closeButton.LoadBitmap(1064);

    m_okButton.m_bHasDisabledState = true;
    m_cancelButton.m_bHasDisabledState = true;
    StyleTextButton(&m_okButton, true, false, false);
    StyleTextButton(&m_cancelButton, true, false, false);
    m_okButton.LoadBitmap(1065);
    m_cancelButton.LoadBitmap(1065);
    m_okButton.SetWindowText(PelqText(m_bRestart ? L"IDS_RSTART" : L"IDS_SHTDOWN"));
    m_cancelButton.SetWindowText(PelqText(L"IDS_CANCEL"));
    m_okButton.MoveWindow(525, 323, 79, 23);
    m_cancelButton.MoveWindow(440, 323, 79, 23);

    if (m_bRestart) {
        m_nMinutes = 0;
        m_nSeconds = 59;
        m_cancelButton.EnableWindow(FALSE);
        m_cancelButton.ShowWindow(SW_HIDE);
    } else {
        m_nMinutes = 4;
        m_nSeconds = 59;
    }
    UpdateCountdownText();
    UpdateSentence();
    SetTimer(kCountdownTimer, 1000, nullptr);
    return TRUE;
}

void CDlgShutDown::UpdateCountdownText() {
    m_strCountdown.Format(L"%d : %d", m_nMinutes, m_nSeconds);
}

void CDlgShutDown::UpdateSentence() {
    m_strSentence.Format(PelqText(L"IDS_UR_PC_WILL_RBOT"),
                         PelqText(m_bRestart ? L"IDS_RSTART" : L"IDS_SHTDOWN").GetString(),
                         m_nMinutes + 1);
}

void CDlgShutDown::OnTimer(UINT_PTR id) {
    if (id != kCountdownTimer) {
        CDlgBaseWndPopupNagBase::OnTimer(id);
        return;
    }
    if (m_nMinutes == 0 && m_nSeconds == 0)
        return; // the countdown has ended
    --m_nSeconds;
    if (m_nMinutes == 0 && m_nSeconds <= 0) {
        KillTimer(kCountdownTimer);
        m_nSeconds = 0;
        const bool done = ShutDown();
        m_strSentence.Empty();
        m_strCountdown = L"0 : 0";
        if (!done)
            ShowFailure();
        Invalidate(FALSE);
        return;
    }
    if (m_nSeconds <= 0) {
        --m_nMinutes;
        m_nSeconds = 59;
        UpdateSentence();
        Invalidate(FALSE);
    }
    UpdateCountdownText();
    SetTimer(kCountdownTimer, 1000, nullptr);
    InvalidateRect(&kCountdownArea, FALSE);
}

void CDlgShutDown::OnShutDownNow() {
    if (::GetAsyncKeyState(VK_RETURN) != 0)
        return;
    if (ShutDown())
        return;
    KillTimer(kCountdownTimer);
    ShowFailure();
    Invalidate(FALSE);
}

bool CDlgShutDown::ShutDown() {
    const InfoDialogActions& actions = GetInfoDialogActions();
    if (!actions.enableShutdownPrivilege())
        return false;
    if (IsWindowsUpdatePending()) {
        ::PostQuitMessage(kPendingUpdateExitCode);
        return true;
    }
    if (!actions.exitWindows(m_bRestart ? EWX_REBOOT : EWX_SHUTDOWN, kShutdownReason))
        return false;
    if (CWnd* main = AfxGetMainWnd(); main != nullptr && ::IsWindow(main->GetSafeHwnd()))
        main->PostMessageW(WM_CLOSE);
    return true;
}

void CDlgShutDown::ShowFailure() {
    m_bFailed = true;
    m_cancelButton.SetWindowText(PelqText(L"IDS_CLOSE"));
    m_cancelButton.EnableWindow(TRUE);
    m_cancelButton.ShowWindow(SW_SHOW);
}

void CDlgShutDown::OnOK() {
    // Enter on its own does nothing: the buttons decide.
}

void CDlgShutDown::OnCancel() {
    if (::GetAsyncKeyState(VK_ESCAPE) != 0)
        return;
    OnBtnClose();
}

void CDlgShutDown::OnBtnClose() {
    if (m_bRestart && !m_bFailed)
        return;
    KillTimer(kCountdownTimer);
    SetResultAndClose(IDCANCEL);
}

void CDlgShutDown::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    PaintWindowFrame(&dc, client);
    const int width = client.Width();
    const int height = client.Height();

    static CSTBitmap strip(1037);
    static CSTBitmap alertIcon(1036);
    static CSTBitmap bottom(1019);
    static CSTBitmap bottomMark(1043);
    TileBitmapRow(&dc, &strip, strip.GetWidth(), strip.GetHeight(), 6, width - 6, 29);
    if (alertIcon.GetWidth() > 0)
        DrawBitmap(&dc, 20, 40, alertIcon.GetWidth(), alertIcon.GetHeight(), &alertIcon, SRCCOPY);

    dc.SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        dc.SetTextColor(kText);
        CRect message(80, 53, 500, 90);
        dc.DrawText(m_strMessage, &message, DT_WORDBREAK | DT_END_ELLIPSIS);
    }
    DrawRoundedBox(&dc, CRect(500, 43, 600, 83));
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus6Bold.GetSafeHandle()));
        dc.SetTextColor(0x0000FF);
        CRect countdown = kCountdownArea;
        dc.DrawText(m_strCountdown, &countdown, DT_SINGLELINE | DT_VCENTER);
    }
    DrawRoundedBox(&dc, CRect(20, 120, width - 20, height - 80));
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        dc.SetTextColor(0x0000C8);
        CRect note(70, 147, 150, 167);
        dc.DrawText(PelqText(L"IDS_NOTE"), &note, DT_SINGLELINE);
    }
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
        dc.SetTextColor(kText);
        CRect sentence(70, 167, 350, 187);
        CRect save(70, 187, 350, 207);
        CRect closing(70, 217, 500, 267);
        if (m_bFailed) {
            dc.SetTextColor(0x0000C8);
            CRect failure(70, 167, 560, 207);
            dc.DrawText(PelqText(m_bRestart ? L"IDS_RESTART_FAILED" : L"IDS_SHUTDOWN_FAILED"),
                        &failure, DT_WORDBREAK);
        } else {
            dc.DrawText(m_strSentence, &sentence, DT_SINGLELINE);
            dc.DrawText(PelqText(L"IDS_SAVE_WORK"), &save, DT_SINGLELINE);
            CString closingText;
            if (m_bRestart)
                closingText = PelqText(L"IDS_COMPOPTI_SYSREBOOT");
            else
                closingText.Format(PelqText(L"IDS_PELQ_CANCLE"),
                                   PelqText(L"IDS_SHTDOWN").GetString(),
                                   PelqText(L"IDS_CANCEL").GetString());
            dc.DrawText(closingText, &closing, DT_WORDBREAK);
        }
    }
    const int bottomY = height - 6 - bottom.GetHeight();
    TileBitmapRow(&dc, &bottom, bottom.GetWidth(), bottom.GetHeight(), 6, width - 6, bottomY);
    if (bottomMark.GetWidth() > 0)
        DrawBitmap(&dc, 25, bottomY, bottomMark.GetWidth(), bottomMark.GetHeight(), &bottomMark,
                   SRCCOPY);
}
