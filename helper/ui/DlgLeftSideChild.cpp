#include "DlgLeftSideChild.h"

#include "BitmapDrawing.h"
#include "SelectedFont.h"
#include "SkinMemDC.h"
#include "STFont.h"
#include "SystemInfo.h"
#include "UiFonts.h"

XARNHELPER_DATA CSTBitmap g_bmpTitleIcon;

#include <classlib/Resources.h>

IMPLEMENT_DYNCREATE(CDlgLeftSideChild, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgLeftSideChild, CDlgBaseWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

namespace {
constexpr UINT kTitleIconId = 1075;
constexpr UINT kBottomStripId = 1019;
constexpr UINT kLargeHeaderId = 1094;
constexpr COLORREF kTitleShadow = 0xD8C6BD;

LOGFONTW TitleLogFont(LONG height, LONG weight) {
    LOGFONTW font{};
    GetDefaultLogFont(&font);
    lstrcpynW(font.lfFaceName, GetUIFontFace(), LF_FACESIZE);
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfUnderline = FALSE;
    return font;
}

// The caption twice: a shadow one pixel right and down, then the text.
void DrawShadowedCaption(CDC* dc, const CString& text, CRect rect, COLORREF colour) {
    const COLORREF previous = dc->SetTextColor(kTitleShadow);
    CRect shadow = rect;
    shadow.OffsetRect(1, 1);
    dc->DrawText(text, &shadow, DT_SINGLELINE);
    dc->SetTextColor(colour);
    dc->DrawText(text, &rect, DT_SINGLELINE);
    dc->SetTextColor(previous);
}

void LoadTitleIcon() {
    if (g_bmpTitleIcon.GetSafeHandle() == nullptr)
        g_bmpTitleIcon.LoadBitmap(kTitleIconId);
}
} // namespace

CDlgLeftSideChild::CDlgLeftSideChild() {
    ResetBase();
}

CDlgLeftSideChild::CDlgLeftSideChild(UINT templateId, CWnd* parent)
    : CDlgBaseWnd(templateId, parent) {
    ResetBase();
    m_nTemplateId = templateId;
}

CDlgLeftSideChild::~CDlgLeftSideChild() = default;

BOOL CDlgLeftSideChild::OnInitDialog() {
    const BOOL result = CDlgBaseWnd::OnInitDialog();
    m_rcPageAction.SetRect(365, 430, 562, 462);
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(m_nTemplateId), RT_DIALOG);
    // A page whose template cannot be read keeps the layout the dialog manager gave it.
    static_cast<void>(m_templateFont.Apply(module, m_hWnd, m_nTemplateId, 96.0));
    SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(g_fontUI.GetSafeHandle()), TRUE,
                             TRUE, FALSE);
    SetWindowPos(nullptr, 0, 0, 591, 473, SWP_NOMOVE | SWP_NOOWNERZORDER);
    return result;
}

void CDlgLeftSideChild::OnPaint() {
    CPaintDC paint(this);
    if (PaintThroughCallback(&paint))
        return;
    CRect client;
    GetClientRect(&client);
    CSkinMemDC memory(&paint, client, RGB(255, 255, 255));
    DrawPageTitle(&memory, client, TRUE);
}

void CDlgLeftSideChild::DrawPageTitle(CDC* dc, const RECT& client, BOOL drawIcon) {
    static const LOGFONTW record = TitleLogFont(GetOsMajorVersion() < 6 ? -14 : -15, FW_BOLD);
    static CSTFont font(&record);
    if (drawIcon)
        LoadTitleIcon();
    {
        CSelectedFont selected(dc->GetSafeHdc(), static_cast<HFONT>(font.GetSafeHandle()));
        const int previousMode = dc->SetBkMode(TRANSPARENT);
        CString text;
        GetWindowText(text);
        DrawShadowedCaption(dc, text, CRect(22, 14, 562, 34), 0x323232);
        dc->SetBkMode(previousMode);
    }
    if (drawIcon)
        DrawBitmap(dc, 22, 42, g_bmpTitleIcon.GetWidth(), g_bmpTitleIcon.GetHeight(),
                   &g_bmpTitleIcon, SRCCOPY);
    DrawBottomStrip(dc, client);
}

void CDlgLeftSideChild::DrawPageTitleLarge(CDC* dc, const RECT& client, int x, BOOL drawIcon) {
    static CSTBitmap header(kLargeHeaderId);
    static const LOGFONTW record = TitleLogFont(-22, FW_NORMAL);
    static CSTFont font(&record);
    DrawBitmap(dc, 0, 0, header.GetWidth(), header.GetHeight(), &header, SRCCOPY);
    {
        CSelectedFont selected(dc->GetSafeHdc(), static_cast<HFONT>(font.GetSafeHandle()));
        dc->SetBkMode(TRANSPARENT);
        CString text;
        GetWindowText(text);
        DrawShadowedCaption(dc, text, CRect(x, 14, client.right - x, 64), 0x3B3633);
    }
    if (drawIcon) {
        LoadTitleIcon();
        DrawBitmap(dc, x, 50, g_bmpTitleIcon.GetWidth(), g_bmpTitleIcon.GetHeight(),
                   &g_bmpTitleIcon, SRCCOPY);
    }
    DrawBottomStrip(dc, client);
}

void CDlgLeftSideChild::DrawBottomStrip(CDC* dc, const RECT& client) {
    if (!m_bBottomStrip)
        return;
    static CSTBitmap strip(kBottomStripId);
    if (strip.GetWidth() <= 0)
        return;
    const int width = client.right - client.left;
    const int y = (client.bottom - client.top) - strip.GetHeight();
    DrawBitmapRepeated(dc, 0, y, strip.GetWidth(), strip.GetHeight(), &strip, strip.GetWidth(), 0,
                       RepeatCount(0, width, strip.GetWidth()));
}
