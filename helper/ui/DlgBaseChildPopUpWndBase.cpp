#include "DlgBaseChildPopUpWndBase.h"

#include "BitmapDrawing.h"
#include "DlgLeftSideChild.h"
#include "SelectedFont.h"
#include "PopupServices.h"
#include "STFont.h"
#include "STLogFont.h"
#include "SkinPaintDC.h"
#include "WindowUtilities.h"
#include "AppState.h"
#include "UiFonts.h"

IMPLEMENT_DYNCREATE(CDlgBaseChildPopUpWndBase, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgBaseChildPopUpWndBase, CDlgBaseWnd)
ON_WM_PAINT()
ON_COMMAND(1184, &CDlgBaseChildPopUpWndBase::OnBtnClose)
ON_COMMAND(1221, &CDlgBaseChildPopUpWndBase::ToggleMaximize)
ON_WM_LBUTTONDOWN()
ON_WM_SIZE()
ON_WM_LBUTTONDBLCLK()
ON_WM_GETMINMAXINFO()
ON_WM_SYSCOMMAND()
ON_WM_CREATE()
END_MESSAGE_MAP()

namespace {
constexpr UINT kCloseBoxId = 1184;
constexpr UINT kMaximizeId = 1221;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr int kCaptionBand = 29;

} // namespace

CDlgBaseChildPopUpWndBase::CDlgBaseChildPopUpWndBase() = default;

CDlgBaseChildPopUpWndBase::CDlgBaseChildPopUpWndBase(UINT templateId, CWnd* parent)
    : CDlgBaseWnd(templateId, parent) {}

CDlgBaseChildPopUpWndBase::~CDlgBaseChildPopUpWndBase() = default;

void CDlgBaseChildPopUpWndBase::SetWindowSize(BOOL rounded, int width, int height) {
    m_bRounded = rounded ? 1 : 0;
    m_nWindowWidth = width;
    m_nWindowHeight = height;
}

void CDlgBaseChildPopUpWndBase::SetCaptionStyle(int style) {
    m_nCaptionStyle = style;
    m_bmpCaptionStrip.DeleteObject();
    UINT id = 1118;
    switch (style) {
    case 1:
        id = 1102;
        break;
    case 2:
        id = 1112;
        break;
    case 3:
        id = 1117;
        break;
    default:
        break;
    }
    m_bmpCaptionStrip.LoadBitmap(id);
}

int CDlgBaseChildPopUpWndBase::OnCreate(LPCREATESTRUCTW create) {
    const int result = CDlgBaseWnd::OnCreate(create);
    if (m_nWindowWidth != 0 && m_nWindowHeight != 0) {
        CRect client;
        GetClientRect(&client);
        const CRect place(client.left, client.top, client.left + m_nWindowWidth,
                          client.top + m_nWindowHeight);
        MoveWindow(&place, TRUE);
        if (m_bRounded)
            SetWindowRgn(::CreateRoundRectRgn(place.left, place.top, place.right + 1,
                                              place.bottom + 1, 9, 9),
                         TRUE);
    }
    return result;
}

BOOL CDlgBaseChildPopUpWndBase::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    if (g_hAppIcon != nullptr)
        TakeApplicationIdentity(this);
    else
        SetWindowText(GetAppTitle());
    CRect client;
    GetClientRect(&client);
    const int w = client.Width();
    const int t = client.top;
    if (m_bHasCloseBox) {
        if (m_closeBox.Create(L"", kButtonStyle, CRect(w - 30, t + 3, w - 7, t + 26), this,
                              kCloseBoxId))
            m_closeBox.LoadBitmap(m_bMaximizeAllowed ? 1038 : 1064);
    } else {
        m_bMaximizeAllowed = 0;
    }
    if (m_bMaximizeAllowed) {
        const CRect place(w - 55, t + 2, w - 30, t + 20);
        if (m_maximizeBox.Create(L"", kButtonStyle, place, this, kMaximizeId))
            m_maximizeBox.LoadBitmap(1063);
        if (m_restoreBox.Create(L"", kButtonStyle, place, this, kMaximizeId))
            m_restoreBox.LoadBitmap(1062);
        m_bMaximized = 0;
        m_maximizeBox.ShowWindow(SW_SHOW);
        m_restoreBox.ShowWindow(SW_HIDE);
    }
    SetCaptionStyle(m_nCaptionStyle);
    return TRUE;
}

void CDlgBaseChildPopUpWndBase::OnOK() {
    CDlgBaseWnd::OnOK();
}

void CDlgBaseChildPopUpWndBase::OnCancel() {
    CDlgBaseWnd::OnCancel();
}

void CDlgBaseChildPopUpWndBase::OnBtnClose() {
    if (m_bCloseCallbackEnabled && m_pCloseCallback != nullptr)
        m_pCloseCallback(this);
    else if (m_bOverOverlay)
        CloseDialogOk(this);
    else
        CDlgBaseWnd::OnCancel();
}

void CDlgBaseChildPopUpWndBase::PlaceCaptionButtons(int boxTop) {
    CRect client;
    GetClientRect(&client);
    const int w = client.Width();
    const int t = client.top;
    if (m_bHasCloseBox && m_closeBox.GetSafeHwnd() != nullptr)
        m_closeBox.MoveWindow(w - 30, t + 3, 23, 23, TRUE);
    if (m_bMaximizeAllowed) {
        if (m_maximizeBox.GetSafeHwnd() != nullptr)
            m_maximizeBox.MoveWindow(w - 53, t + boxTop, 23, 23, TRUE);
        if (m_restoreBox.GetSafeHwnd() != nullptr)
            m_restoreBox.MoveWindow(w - 53, t + boxTop, 23, 23, TRUE);
    }
}

void CDlgBaseChildPopUpWndBase::OnSize(UINT type, int cx, int cy) {
    CDlgBaseWnd::OnSize(type, cx, cy);
    PlaceCaptionButtons(3);
}

bool CDlgBaseChildPopUpWndBase::InCaptionBand(CPoint point) {
    CRect client;
    GetClientRect(&client);
    return CRect(0, 0, client.Width(), kCaptionBand).PtInRect(point) != FALSE;
}

void CDlgBaseChildPopUpWndBase::OnLButtonDown(UINT, CPoint point) {
    if (!m_bOverOverlay && !m_bMaximized && InCaptionBand(point))
        SendMessageW(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    Default();
}

void CDlgBaseChildPopUpWndBase::OnLButtonDblClk(UINT, CPoint point) {
    if (m_bMaximizeAllowed && InCaptionBand(point))
        ToggleMaximize();
    Default();
}

void CDlgBaseChildPopUpWndBase::ToggleMaximize() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    m_bMaximized = m_bMaximized ? 0 : 1;
    PostMessageW(WM_SYSCOMMAND, m_bMaximized ? SC_MAXIMIZE : SC_RESTORE,
                 MAKELPARAM(cursor.x, cursor.y));
    CHoverButton& shown = m_bMaximized ? m_restoreBox : m_maximizeBox;
    CHoverButton& hidden = m_bMaximized ? m_maximizeBox : m_restoreBox;
    if (hidden.GetSafeHwnd() != nullptr)
        hidden.ShowWindow(SW_HIDE);
    if (shown.GetSafeHwnd() != nullptr) {
        shown.ShowWindow(SW_SHOW);
        shown.SetFocus();
    }
}

void CDlgBaseChildPopUpWndBase::OnSysCommand(UINT command, LPARAM lParam) {
    switch (command & 0xFFF0) {
    case SC_CLOSE:
        // The close action alone: the default handling would close a second time past the
        // close callback (and end an overlay twice).
        OnBtnClose();
        return;
    case SC_RESTORE:
        ShowWindow(SW_RESTORE);
        break;
    case SC_MAXIMIZE:
        ShowWindow(SW_MAXIMIZE);
        break;
    default:
        break;
    }
    CDlgBaseWnd::OnSysCommand(command, lParam);
}

void CDlgBaseChildPopUpWndBase::OnGetMinMaxInfo(MINMAXINFO* info) {
    SetTrackSizesAboveTaskbar(info, m_nMinTrackWidth, m_nMinTrackHeight);
    CDlgBaseWnd::OnGetMinMaxInfo(info);
}

void CDlgBaseChildPopUpWndBase::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    PaintWindowFrame(&dc, client);
}

void CDlgBaseChildPopUpWndBase::PaintWindowFrame(CDC* dc, const RECT& rect) {
    const SkinFrameEdges& edges = GetSkinFrameEdges();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (m_bBottomBar) {
        static CSTBitmap bar(1019);
        DrawBitmapRepeated(
            dc, rect.left + edges.left, height - bar.GetHeight() - edges.bottom, bar.GetWidth(),
            bar.GetHeight(), &bar, bar.GetWidth(), 0,
            RepeatCount(rect.left + edges.left, width - edges.right, bar.GetWidth()));
    }
    DrawSkinFrame(dc, rect);
    const int stripWidth = m_bmpCaptionStrip.GetWidth();
    DrawBitmapRepeated(
        dc, rect.left + edges.left - 2, rect.top + edges.top, stripWidth,
        m_bmpCaptionStrip.GetHeight(), &m_bmpCaptionStrip, stripWidth, 0,
        RepeatCount(rect.left + edges.left - 2, width + 2 - edges.right, stripWidth));
    {
        CSelectedFont font(dc->GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
        dc->SetTextColor(0xFCFCFC);
        dc->SetBkMode(TRANSPARENT);
        CString text;
        GetWindowText(text);
        if (text.IsEmpty())
            text = GetAppTitle();
        static const CRect title(rect.left + 6, rect.top + 9, rect.left + 306, rect.top + 29);
        CRect place = title;
        dc->DrawText(text, &place, DT_WORDBREAK);
    }
    if (m_bPageTitle)
        DrawPageTitle(dc, rect, m_bTitleSeparator);
}

void CDlgBaseChildPopUpWndBase::DrawPageTitle(CDC* dc, const RECT& rect, BOOL separator) {
    static const CSTLogFont record(GetUIFontFace(), -15, true, FALSE);
    static CSTFont font(&record);
    if (separator && g_bmpTitleIcon.GetSafeHandle() == nullptr)
        g_bmpTitleIcon.LoadBitmap(1075);
    {
        CSelectedFont selected(dc->GetSafeHdc(), static_cast<HFONT>(font.GetSafeHandle()));
        const COLORREF previous = dc->SetTextColor(0xD8C6BD);
        CString text;
        GetWindowText(text);
        CRect place(28, 54, 568, 74);
        dc->DrawText(text, &place, DT_SINGLELINE);
        dc->SetTextColor(0x323232);
        dc->DrawText(text, &place, DT_SINGLELINE);
        dc->SetTextColor(previous);
    }
    if (separator) {
        static CSTBitmap line(1098);
        DrawBitmapRepeated(dc, 28, 82, line.GetWidth(), line.GetHeight(), &line, line.GetWidth(), 0,
                           RepeatCount(28, (rect.right - rect.left) - 28, line.GetWidth()));
    }
}
