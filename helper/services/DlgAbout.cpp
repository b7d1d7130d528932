#include "DlgAbout.h"

#include "BitmapDrawing.h"
#include "DialogDrawing.h"
#include "SelectedFont.h"
#include "GlobalUpdate.h"
#include "InfoDialogActions.h"
#include "STBitmap.h"
#include "SkinPaintDC.h"
#include "AppState.h"
#include "IniReader.h"
#include "ProductIdentity.h"
#include "UiFonts.h"

#include <classlib/App.h>

IMPLEMENT_DYNAMIC(CDlgAbout, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgAbout, CDlgBaseWndPopupNagBase)
ON_WM_PAINT()
ON_BN_CLICKED(1184, &CDlgAbout::OnClose)
ON_BN_CLICKED(IDOK, &CDlgAbout::OnClose)
ON_BN_CLICKED(1017, &CDlgAbout::OnWebSite)
ON_BN_CLICKED(1457, &CDlgAbout::OnSupport)
END_MESSAGE_MAP()

namespace {
constexpr UINT kCloseButtonId = 1184;
constexpr int kWebSiteLinkId = 1017;
constexpr int kSupportLinkId = 1457;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
// The bottom bar's colour (1019), on which the links sit.
constexpr COLORREF kLinkBackground = 0xF9F1EA;
constexpr COLORREF kLinkText = 0xAC5F0A;

CString PelqText(LPCWSTR key) {
    return GetLangString(key, L"Pelq");
}

void StyleLink(CHyperLinkBtn& link) {
    LOGFONTW font{};
    GetDefaultLogFont(&font);
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    link.SetLogFont(&font);
    link.SetBkColor(kLinkBackground);
    link.SetTextColor(kLinkText);
    link.SetHoverTextColor(kLinkText);
    link.SetUnderline(true);
}
} // namespace

CDlgAbout::CDlgAbout(CWnd* parent) : CDlgBaseWndPopupNagBase(kTemplate, parent) {
    SetWindowSize(TRUE, kWidth, kHeight);
    m_pApp = AfxGetApp();
}

CDlgAbout::~CDlgAbout() = default;

void CDlgAbout::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWndPopupNagBase::DoDataExchange(dx);
    DDX_Control(dx, IDOK, m_okButton);
    DDX_Control(dx, kWebSiteLinkId, m_webSiteLink);
    DDX_Control(dx, kSupportLinkId, m_supportLink);
}

BOOL CDlgAbout::OnInitDialog() {
    CDlgBaseWndPopupNagBase::OnInitDialog();
    SetDlgItemText(IDOK, GetLangString(L"IDOK", L"IDD_DLG_ABOUT"));
    SetDlgItemText(kWebSiteLinkId, GetLangString(L"ID_OPENWEBSITE", L"IDD_DLG_ABOUT"));
    SetDlgItemText(kSupportLinkId, GetLangString(L"IDC_BTN_SUPPORT", L"IDD_DLG_ABOUT"));

    m_strDescription = FillTextSlots(PelqText(L"IDS_PELQ_DESC"), {GetProductName()});
    m_strLegalNotice = GetOwnershipNotice();
    m_strVersion = FillTextSlots(PelqText(L"IDS_PELQ_VERSION"),
                                 {GetAppTitle(), GetHelperLibraryVersion(), m_strLegalNotice});
    m_strTrademarkOwners = PelqText(L"IDS_TRAD_OWNERS");
    // The frame painter draws the window's text as the title, white in the caption.
    SetWindowText(PelqText(L"IDS_ABOUT"));
    m_strWarning = PelqText(L"IDS_PELQ_WARNING");

    if (CWnd* main = AfxGetMainWnd(); main != nullptr && ::IsWindow(main->GetSafeHwnd()))
        CenterWindow(main);
    CRect client;
    GetClientRect(&client);
    const CRect closePlace(client.right - 6 - 23, 3, client.right - 6, 26);
    if (m_closeButton.Create(L"", kButtonStyle, closePlace, this, kCloseButtonId))
        m_closeButton.LoadBitmap(1064);

    m_okButton.LoadBitmap(1051);
    GetDefaultLogFont(&m_okButton.m_logFont);
    m_okButton.m_logFont.lfWeight = FW_BOLD;
    m_okButton.m_clrText = m_okButton.m_clrHover = m_okButton.m_clrThird = m_okButton.m_clrPressed =
        0xFFFCFC;
    m_okButton.SetWindowText(L"OK");
    m_okButton.MoveWindow(525, client.Height() - 43, 79, 23);

    StyleLink(m_webSiteLink);
    m_webSiteLink.SetLinkText(GetWebSiteAddress());
    m_webSiteLink.MoveWindow(187, client.Height() - 41, 145, 20);
    StyleLink(m_supportLink);
    m_supportLink.SetLinkText(GetLangString(L"IDC_BTN_SUPPORT", L"IDD_DLG_ABOUT"));
    m_supportLink.MoveWindow(352, client.Height() - 41, 92, 20);
    return TRUE;
}

void CDlgAbout::OnClose() {
    OnOK();
}

void CDlgAbout::OnWebSite() {
    GetInfoDialogActions().openWebPage();
    OnOK();
}

void CDlgAbout::OnSupport() {
    GetInfoDialogActions().openSupportMail();
}

void CDlgAbout::OnPaint() {
    CSkinPaintDC dc(this);
    const CRect& client = dc.Client();
    PaintWindowFrame(&dc, client);
    const int width = client.Width();
    const int height = client.Height();

    static CSTBitmap logo(1018);
    static CSTBitmap bottom(1019);
    if (logo.GetWidth() > 0)
        DrawBitmap(&dc, 6, 30, logo.GetWidth(), logo.GetHeight(), &logo, SRCCOPY);
    TileBitmapRow(&dc, &bottom, bottom.GetWidth(), bottom.GetHeight(), 6, width - 6,
                  height - 6 - bottom.GetHeight());

    dc.SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontPlus6Bold.GetSafeHandle()));
        dc.SetTextColor(0x404040);
        const CString heading =
            FillTextSlots(PelqText(L"IDS_ABOUT_PELQ"), {GetProductName(), L"Version 3"});
        CRect place(135, 50, 600, 90);
        dc.DrawText(heading, &place, DT_WORDBREAK);
    }
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUI.GetSafeHandle()));
    dc.SetTextColor(0x404040);
    CRect version(135, 87, 640, 120);
    dc.DrawText(m_strVersion, &version, DT_WORDBREAK);
    DrawHorizontalLine(&dc, 135, width - 30, 125, 0xE1E1E1);
    CRect description(135, 135, 600, 170);
    dc.DrawText(m_strDescription, &description, DT_WORDBREAK);
    CRect owners(135, 276, 500, 293);
    dc.DrawText(m_strTrademarkOwners, &owners, DT_SINGLELINE | DT_CALCRECT);
    dc.DrawText(m_strTrademarkOwners, &owners, DT_SINGLELINE);
    CRect warning(135, 296, 600, 341);
    dc.DrawText(m_strWarning, &warning, DT_WORDBREAK | DT_CALCRECT);
    dc.DrawText(m_strWarning, &warning, DT_WORDBREAK);
    // Right-aligned so that it ends before the link beside it.
    CRect internet(120, 368, 182, 383);
    dc.DrawText(PelqText(L"IDS_INTERNET"), &internet, DT_SINGLELINE | DT_RIGHT);
}
