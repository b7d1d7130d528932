#include "DlgLeftDlgBase.h"

#include "BitmapDrawing.h"
#include "SkinImages.h"
#include "SkinMemDC.h"
#include "IniReader.h"
#include "PanelPageCommands.h"
#include "UiFonts.h"

#include <classlib/Dialog.h>

#include <algorithm>
#include <set>

#include <classlib/Resources.h>

IMPLEMENT_DYNAMIC(CDlgLeftDlgBase, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgLeftDlgBase, CDlgBaseWnd)
ON_WM_SIZE()
ON_WM_PAINT()
ON_COMMAND(1181, &CDlgLeftDlgBase::OnUpdateLink)
ON_COMMAND(1197, &CDlgLeftDlgBase::OnScanLink)
ON_COMMAND(PanelPageCommand(1), &CDlgLeftDlgBase::OnSideButton0)
ON_COMMAND(PanelPageCommand(2), &CDlgLeftDlgBase::OnSideButton1)
ON_COMMAND(PanelPageCommand(3), &CDlgLeftDlgBase::OnSideButton2)
ON_COMMAND(PanelPageCommand(4), &CDlgLeftDlgBase::OnSideButton3)
ON_COMMAND(PanelPageCommand(5), &CDlgLeftDlgBase::OnSideButton4)
ON_COMMAND(PanelPageCommand(6), &CDlgLeftDlgBase::OnSideButton5)
ON_COMMAND(PanelPageCommand(7), &CDlgLeftDlgBase::OnSideButton6)
ON_COMMAND(PanelPageCommand(8), &CDlgLeftDlgBase::OnSideButton7)
END_MESSAGE_MAP()

namespace {
constexpr UINT kPanelTemplate = 1272;
constexpr UINT kPanelBitmap = 1096;
constexpr UINT kUpdateLinkId = 1181;
constexpr UINT kScanLinkId = 1197;
constexpr UINT kFirstSideButtonId = kFirstPanelPageCommand;
constexpr DWORD kSideButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr int kIconModeButtons = 7;
constexpr int kIconStripButtons = 6;

// The link's ground: white, or the panel picture's colour where the link sits, so that a
// tinted panel shows no white box around it.
COLORREF UpdateLinkGround(int top) {
    if (g_bmpLeftPanel.GetSafeHandle() == nullptr)
        return 0xFFFFFF;
    CDC memory;
    if (!memory.CreateCompatibleDC(nullptr))
        return 0xFFFFFF;
    CBitmap* kept = memory.SelectObject(&g_bmpLeftPanel);
    const COLORREF ground = ::GetPixel(memory.m_hDC, 29, top + 1);
    memory.SelectObject(kept);
    return ground == CLR_INVALID ? 0xFFFFFF : ground;
}
} // namespace

CDlgLeftDlgBase::CDlgLeftDlgBase(UINT templateId, CWnd* parent)
    : CDlgBaseWnd(kPanelTemplate, parent) {
    ResetBase();
    m_scanLink.SetTransparent(true);
    m_nTemplateId = templateId;
    m_rcInfo.SetRectEmpty();
}

CDlgLeftDlgBase::~CDlgLeftDlgBase() {
    // Several side buttons may share one page: each distinct page is deleted once.
    std::set<CWnd*> deleted;
    for (CWnd* page : m_pages)
        if (page != nullptr && deleted.insert(page).second)
            delete page;
}

void CDlgLeftDlgBase::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWnd::DoDataExchange(dx);
    if (m_nLayoutMode == 1)
        DDX_Control(dx, kScanLinkId, m_scanLink);
    DDX_Control(dx, kUpdateLinkId, m_updateLink);
}

BOOL CDlgLeftDlgBase::OnInitDialog() {
    if (g_bmpLeftPanel.GetSafeHandle() == nullptr)
        g_bmpLeftPanel.LoadBitmap(kPanelBitmap);
    const BOOL result = CDlgBaseWnd::OnInitDialog();
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(m_nTemplateId), RT_DIALOG);
    // Without its template the panel keeps the dialog manager's layout.
    static_cast<void>(m_templateFont.Apply(module, m_hWnd, m_nTemplateId, 96.0));
    SendMessageToDescendants(WM_SETFONT, reinterpret_cast<WPARAM>(g_fontUI.GetSafeHandle()), TRUE,
                             TRUE, FALSE);
    CIniReader* reader = OpenIniFile(L"pelq.ini", true);
    m_strAttention = ReadLangText(L"IDS_ATTENTION", L"Pelq", reader, nullptr);
    m_strInfo = ReadLangText(L"IDS_ERRORSTING", L"Pelq", reader, nullptr);
    if (CWnd* scan = GetDlgItem(kScanLinkId))
        scan->SetWindowText(
            ReadLangText(L"IDC_BTN_SCAN_NOW", L"IDD_DLG_LEFTWINDOW_BASE", reader, nullptr));
    if (CWnd* update = GetDlgItem(kUpdateLinkId))
        update->SetWindowText(
            ReadLangText(L"IDC_BTN_CHECK_FOR_UPDATE", L"IDD_DLG_LEFTWINDOW_BASE", reader, nullptr));
    // Only layout mode 1 binds the scan link; unbound it would paint an empty box.
    if (m_nLayoutMode != 1)
        if (CWnd* scan = GetDlgItem(kScanLinkId))
            scan->ShowWindow(SW_HIDE);
    const int raise = m_bRaisedLayout ? 10 : 0;
    if (m_updateLink.GetSafeHwnd() != nullptr) {
        if (m_bShowUpdateLink) {
            m_updateLink.ShowWindow(SW_SHOW);
            m_updateLink.EnableWindow(TRUE);
            LOGFONTW font{};
            GetDefaultLogFont(&font);
            font.lfHeight -= 1;
            font.lfWeight = FW_NORMAL;
            font.lfUnderline = TRUE;
            m_updateLink.SetLogFont(&font);
            m_updateLink.SetBkColor(UpdateLinkGround(446 - raise))
                .SetTextColor(0x9C3B00)
                .SetHoverTextColor(0xFF6000)
                .SetUnderline(true);
            m_updateLink.MoveWindow(28, 446 - raise, 114, 20, TRUE);
        } else {
            m_updateLink.ShowWindow(SW_HIDE);
            m_updateLink.EnableWindow(FALSE);
        }
    }
    CloseIniFile(reader);
    return result;
}

void CDlgLeftDlgBase::OnSize(UINT type, int cx, int cy) {
    CDlgBaseWnd::OnSize(type, cx, cy);
    CRect client;
    GetClientRect(&client);
    SetWindowRgn(::CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, 9, 9),
                 TRUE);
}

void CDlgLeftDlgBase::OnPaint() {
    CPaintDC paint(this);
    if (PaintThroughCallback(&paint))
        return;
    CRect client;
    GetClientRect(&client);
    PaintLeftPanel(&paint, client);
}

int CDlgLeftDlgBase::DrawPanel(CDC* dc) {
    if (PaintThroughCallback(dc))
        return 0;
    CRect client;
    GetClientRect(&client);
    CSkinMemDC memory(dc, client, RGB(255, 255, 255));
    PaintLeftPanel(&memory, client);
    return 0;
}

void CDlgLeftDlgBase::PaintLeftPanel(CDC* dc, const RECT&) {
    DrawBitmap(dc, 0, 0, g_bmpLeftPanel.GetWidth(), g_bmpLeftPanel.GetHeight(), &g_bmpLeftPanel,
               SRCCOPY);
}

void CDlgLeftDlgBase::SetPanelInfoText(CString text) {
    m_strInfo = text;
    InvalidateRect(&m_rcInfo, TRUE);
}

void CDlgLeftDlgBase::AddSideButton(CLeftSideBtns* button, LPCWSTR caption, UINT id,
                                    const RECT& rect, int iconIndex) {
    if (!button->Create(caption, kSideButtonStyle, rect, this, id))
        return;
    button->SetTransparent(true);
    button->m_nIconIndex = iconIndex;
    if (iconIndex != -1)
        button->EnableWindow(FALSE);
}

void CDlgLeftDlgBase::Layout(int count, const CStringArray& captions, int maxButtons, bool icons) {
    if (count == 0 || captions.GetSize() == 0)
        return;
    m_nSideButtonCount = count;
    const int created = std::min<int>({count, maxButtons, static_cast<int>(captions.GetSize())});
    for (int i = 0; i < created; ++i) {
        const int top = 17 + 31 * i;
        int icon = -1;
        if (icons)
            icon = i < kIconStripButtons ? i : 0;
        AddSideButton(&m_sideButtons[i], captions[i], kFirstSideButtonId + i,
                      CRect(1, top, 166, top + 31), icon);
    }
    if (m_sideButtons[0].GetSafeHwnd() != nullptr)
        m_sideButtons[0].EnableWindow(TRUE);
    m_pSelectedButton->m_bSelected = true;
    if (m_pSelectedButton->GetSafeHwnd() != nullptr)
        m_pSelectedButton->Invalidate(FALSE);
}

void CDlgLeftDlgBase::LayoutSideButtons(int count, const CStringArray& captions) {
    Layout(count, captions, kIconModeButtons, m_nLayoutMode == 2);
}

void CDlgLeftDlgBase::LayoutAllSideButtons(int count, const CStringArray& captions) {
    Layout(count, captions, kMaxSideButtons, false);
}

void CDlgLeftDlgBase::SelectPage(CLeftSideBtns* button, CWnd* page) {
    if (m_pCurrentPage == nullptr)
        m_pCurrentPage = m_pages[0];
    if (!button->IsWindowEnabled())
        button->EnableWindow(TRUE);
    if (button == m_pSelectedButton)
        return;
    button->m_bSelected = true;
    button->Invalidate(FALSE);
    m_pSelectedButton->m_bSelected = false;
    if (m_pSelectedButton->GetSafeHwnd() != nullptr)
        m_pSelectedButton->Invalidate(FALSE);
    m_pSelectedButton = button;
    if (page == m_pCurrentPage)
        return;
    if (m_pCurrentPage != nullptr && m_pCurrentPage->GetSafeHwnd() != nullptr) {
        m_pCurrentPage->ShowWindow(SW_HIDE);
        m_pCurrentPage->EnableWindow(FALSE);
    }
    if (page != nullptr && page->GetSafeHwnd() != nullptr) {
        page->ShowWindow(SW_SHOWNORMAL);
        page->EnableWindow(TRUE);
        page->SetFocus();
    }
    m_pCurrentPage = page;
}

void CDlgLeftDlgBase::LoadImages(UINT pngId, int maxButtons) {
    const int count = std::min(maxButtons, m_nSideButtonCount);
    for (int i = 0; i < count; ++i)
        m_sideButtons[i].LoadPngImage(pngId, i);
}

void CDlgLeftDlgBase::LoadSideButtonImages(UINT pngId) {
    LoadImages(pngId, kIconStripButtons);
}

void CDlgLeftDlgBase::LoadAllSideButtonImages(UINT pngId) {
    LoadImages(pngId, kMaxSideButtons);
}

void CDlgLeftDlgBase::EnableNavButtons(BOOL b0, BOOL b1, BOOL b2, BOOL b3, BOOL b4, BOOL b5,
                                       BOOL b6) {
    const BOOL flags[] = {b0, b1, b2, b3, b4, b5, b6};
    for (int i = 0; i < 7; ++i)
        if (m_sideButtons[i].GetSafeHwnd() != nullptr)
            m_sideButtons[i].EnableWindow(flags[i]);
}

void CDlgLeftDlgBase::EnableActionButtons() {
    if (m_updateLink.GetSafeHwnd() != nullptr)
        m_updateLink.EnableWindow(TRUE);
}

void CDlgLeftDlgBase::DisableActionButtons() {
    if (m_updateLink.GetSafeHwnd() != nullptr)
        m_updateLink.EnableWindow(FALSE);
}

void CDlgLeftDlgBase::Report(int action) {
    if (m_pActionCallback != nullptr)
        m_pActionCallback(this, action);
}

void CDlgLeftDlgBase::OnSideButton(int index) {
    SelectPage(&m_sideButtons[index], m_pages[index]);
    Report(kFirstSideButtonAction + index);
}

void CDlgLeftDlgBase::OnScanLink() {
    Report(kScanLinkAction);
}

void CDlgLeftDlgBase::OnUpdateLink() {
    LaunchUpdateCheck();
    if (m_updateLink.GetSafeHwnd() != nullptr) {
        ::Sleep(512);
        m_updateLink.EnableWindow(TRUE);
    }
    Report(kUpdateLinkAction);
}
