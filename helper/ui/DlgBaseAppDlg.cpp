#include "DlgBaseAppDlg.h"

#include "SkinPaintDC.h"
#include "AppState.h"
#include "ProductIdentity.h"
#include "UiFonts.h"

#include <classlib/Menu.h>

#include <algorithm>

XARNHELPER_DATA CDlgBaseAppDlg* g_pMainAppDlg = nullptr;
XARNHELPER_DATA CString g_strAppAbout;

IMPLEMENT_DYNCREATE(CDlgBaseAppDlg, CDlgMainWnd)

BEGIN_MESSAGE_MAP(CDlgBaseAppDlg, CDlgMainWnd)
ON_WM_PAINT()
ON_WM_SIZE()
ON_COMMAND(1259, &CDlgBaseAppDlg::OnTab1)
ON_COMMAND(1260, &CDlgBaseAppDlg::OnTab2)
ON_COMMAND(1261, &CDlgBaseAppDlg::OnTab3)
ON_COMMAND(1262, &CDlgBaseAppDlg::OnTab4)
ON_COMMAND(1263, &CDlgBaseAppDlg::OnTab5)
ON_WM_CREATE()
ON_COMMAND(MainWndCommand::kClose, &CDlgBaseAppDlg::OnAppClose)
END_MESSAGE_MAP()

namespace {
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr UINT kPanelTemplate = 1272;
// The demonstration program's code for this suite.
constexpr wchar_t kDemoCode[] = L"XRN";
constexpr COLORREF kTabCaptionColour = 0x3F3B36;
constexpr int kTabTop = 55;
constexpr int kTabBottom = 77;
constexpr int kTabWidth = 101;
constexpr int kFirstTabLeft = 312;
constexpr int kStepAfterFirstTab = 110;
constexpr int kStepAfterOtherTabs = 87;
// Room between a tab and the next, so that no tab's window covers its neighbour's.
constexpr int kTabGap = 3;
const CRect kPanelRect(4, 94, 768, 579);
// Where the pages sit in a panel: right of the side buttons.
constexpr int kPageLeft = 170;
constexpr int kPageTop = 2;
constexpr UINT kHelpMenuStrip = 1061;
constexpr UINT kHeaderStrip = 1057;

UINT TabStrip(int type) {
    switch (type) {
    case 1:
        return 1464;
    case 2:
        return 1463;
    case 3:
        return 1462;
    default:
        return 1070;
    }
}

// The panels hand their button codes to the application window's callback, with the window
// (the panel's parent) as its first argument.
void ForwardPanelAction(CDlgLeftDlgBase* panel, int action) {
    CWnd* parent = CWnd::FromHandlePermanent(::GetParent(panel->GetSafeHwnd()));
    if (parent == nullptr || !parent->IsKindOf(RUNTIME_CLASS(CDlgBaseAppDlg)))
        return;
    auto* window = static_cast<CDlgBaseAppDlg*>(parent);
    if (window->m_pTabSwitchCallback != nullptr)
        window->m_pTabSwitchCallback(window, action);
}

void Redraw(CWnd& window) {
    if (window.GetSafeHwnd() != nullptr)
        window.Invalidate(FALSE);
}
} // namespace

CDlgBaseAppDlg::CDlgBaseAppDlg() : CDlgMainWnd(kTemplateId, nullptr) {
    InitAppWindowState();
}

CDlgBaseAppDlg::CDlgBaseAppDlg(CWnd* parent) : CDlgMainWnd(kTemplateId, parent) {
    InitAppWindowState();
}

CDlgBaseAppDlg::~CDlgBaseAppDlg() {
    if (g_pMainAppDlg == this)
        g_pMainAppDlg = nullptr;
}

void CDlgBaseAppDlg::InitAppWindowState() {
    m_tabs[0].nPanelStyle = 1;
    g_strDemoArgument = kDemoCode;
    SetPaintCallback(nullptr, FALSE, 0);
    if (g_pMainAppDlg == nullptr)
        g_pMainAppDlg = this;
    m_bDerivedFlags[2] = 1;
}

void CDlgBaseAppDlg::DoDataExchange(CDataExchange* dx) {
    CDlgMainWnd::DoDataExchange(dx);
}

void CDlgBaseAppDlg::SetAppLayout(const AppLayout& layout) {
    m_nLogoBitmapId = layout.nLogoBitmapId;
    m_nTabCount = std::clamp(layout.nTabCount, 0, kMaxAppTabs);
    m_tabCaptions.Append(layout.tabCaptions);
    m_hWindowIcon = layout.hIcon;
    m_bMaximizeAllowed = layout.bMaximizeAllowed;
    g_bShowToolTips = layout.bShowToolTips;
    m_bLayoutFlag = layout.bLayoutFlag;
    g_strAppAbout = layout.strAboutText;
    m_strAboutItem = layout.strAboutItemText;
    m_strWindowTitle = layout.strWindowTitle;
    for (int i = 0; i < kMaxAppTabs; ++i) {
        m_tabs[i].nButtonCount = layout.tabs[i].nButtonCount;
        m_tabs[i].nPanelStyle = layout.tabs[i].nPanelStyle;
        m_tabs[i].buttonKeys.RemoveAll();
        m_tabs[i].buttonKeys.Append(layout.tabs[i].buttonKeys);
    }
    m_pTabSwitchCallback = layout.pTabSwitchCallback;
}

int CDlgBaseAppDlg::OnCreate(LPCREATESTRUCTW create) {
    const int result = CDlgMainWnd::OnCreate(create);
    MoveWindow(0, 0, kWindowWidth + 1, kWindowHeight + 1, TRUE);
    CRect client;
    GetClientRect(&client);
    // The region's right and bottom edges are outside it: it covers 772 x 583.
    SetWindowRgn(::CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, 18, 18),
                 TRUE);
    return result;
}

BOOL CDlgBaseAppDlg::OnInitDialog() {
    m_bSystemMenu = 1;
    CDlgMainWnd::OnInitDialog();
    // Without its template the window keeps the dialog manager's layout.
    static_cast<void>(m_templateFont.Apply(GetResourceInstance(), m_hWnd, kTemplateId, 96.0));
    MoveWindow(0, 0, kWindowWidth, kWindowHeight, TRUE);
    ModifyStyle(0, WS_MINIMIZEBOX);
    if (m_hWindowIcon != nullptr) {
        SetIcon(m_hWindowIcon, TRUE);
        SetIcon(m_hWindowIcon, FALSE);
    }
    SetWindowText(m_strWindowTitle);
    CreateTabButtons(m_nTabCount, m_tabCaptions);
    CreatePanels();
    m_tabCaptions.RemoveAll();
    PlaceCaptionButtons();
    CenterWindow(GetDesktopWindow());
    if (g_bShowHeaderButtons) {
        CreateHeaderButton(&m_btnHelpMenu, MainWndCommand::kHelpMenuButton, kHelpMenuStrip, 665);
        CreateHeaderButton(&m_btnHeader, MainWndCommand::kHeaderAbout, kHeaderStrip, 691);
    }
    OnTab1();
    return TRUE;
}

void CDlgBaseAppDlg::CreateHeaderButton(CHoverButton* button, UINT id, UINT bitmapId, int x) {
    if (!button->Create(L"", kButtonStyle, CRect(x, 7, x + 23, 30), this, id))
        return;
    button->LoadBitmap(bitmapId);
    button->MoveWindow(x, 7, 23, 23, TRUE);
}

void CDlgBaseAppDlg::CreateTabButton(CTabButton* button, LPCWSTR caption, UINT id, const RECT& rect,
                                     int type) {
    if (!button->Create(caption, kButtonStyle, rect, this, id))
        return;
    button->LoadBitmap(TabStrip(type));
    button->m_clrText = kTabCaptionColour;
    button->m_clrHover = kTabCaptionColour;
    button->m_bShadow = true;
    button->m_bBoldOnHover = false;
}

void CDlgBaseAppDlg::CreateTabButtons(int count, const CStringArray& captions) {
    m_nTabCount = std::clamp(count, 0, kMaxAppTabs);
    int x = kFirstTabLeft;
    for (int i = 0; i < m_nTabCount; ++i) {
        const int step = i == 0 ? kStepAfterFirstTab : kStepAfterOtherTabs;
        // A tab ends before the next one begins (the last as if another followed), so that
        // each click lands on the tab it is drawn on and the last stays inside the window.
        const CRect place(x, kTabTop, std::min(x + kTabWidth, x + step - kTabGap), kTabBottom);
        const CString caption = i < captions.GetSize() ? captions[i] : CString();
        const int type = i == 0 ? 1 : (i == kMaxAppTabs - 1 ? 3 : 2);
        CTabButton& button = m_tabButtons[i];
        CreateTabButton(&button, caption, AppTabCommand::kFirst + i, place, type);
        if (button.GetSafeHwnd() != nullptr)
            button.MoveWindow(&place, TRUE);
        // Centred: tabs that no longer overlap have no hidden part for a caption to avoid.
        button.m_nCaptionX = -1;
        x += step;
    }
    if (m_nTabCount > 0) {
        m_tabButtons[0].m_bSelected = true;
        if (m_tabButtons[0].GetSafeHwnd() != nullptr)
            m_tabButtons[0].Invalidate(TRUE);
    }
}

void CDlgBaseAppDlg::CreatePanels() {
    for (int i = 0; i < m_nTabCount; ++i) {
        TabPanel& tab = m_tabs[i];
        if (i > 0 && (tab.nButtonCount == 0 || tab.nButtonCount != tab.buttonKeys.GetSize()))
            continue;
        auto panel = std::make_unique<CDlgLeftDlgBase>(kPanelTemplate, this);
        panel->SetLayoutMode(tab.nPanelStyle != 0 ? 2 : 3);
        panel->SetActionCallback(&ForwardPanelAction);
        panel->SetShowUpdateLink(m_bShowUpdateLinks != 0);
        if (!panel->Create(kPanelTemplate, this))
            continue;
        if (i > 0) {
            panel->ShowWindow(SW_HIDE);
            panel->EnableWindow(FALSE);
        }
        panel->MoveWindow(&kPanelRect, TRUE);
        panel->LayoutSideButtons(tab.nButtonCount, tab.buttonKeys);
        tab.panel = std::move(panel);
    }
    m_pCurrentPanel = m_tabs[0].panel.get();
    if (m_nTabCount > 0) {
        m_tabButtons[0].m_bSelected = true;
        if (m_tabButtons[0].GetSafeHwnd() != nullptr)
            m_tabButtons[0].Invalidate(TRUE);
    }
}

CDlgLeftDlgBase* CDlgBaseAppDlg::GetTabPanel(int tab) const {
    return tab >= 0 && tab < kMaxAppTabs ? m_tabs[tab].panel.get() : nullptr;
}

void CDlgBaseAppDlg::ShowPanel(CDlgLeftDlgBase* panel) {
    if (panel == nullptr || panel == m_pCurrentPanel)
        return;
    if (m_pCurrentPanel == nullptr)
        m_pCurrentPanel = m_tabs[1].panel.get();
    if (m_pCurrentPanel != nullptr && m_pCurrentPanel->GetSafeHwnd() != nullptr) {
        m_pCurrentPanel->ShowWindow(SW_HIDE);
        m_pCurrentPanel->EnableWindow(FALSE);
    }
    if (panel->GetSafeHwnd() != nullptr) {
        panel->ShowWindow(SW_SHOW);
        panel->EnableWindow(TRUE);
    }
    m_pCurrentPanel = panel;
}

void CDlgBaseAppDlg::SelectTabButton(CTabButton* button) {
    if (button == m_pSelectedTabButton)
        return;
    button->m_bSelected = true;
    button->m_bPushed = true;
    Redraw(*button);
    if (m_pSelectedTabButton != nullptr) {
        m_pSelectedTabButton->m_bSelected = false;
        m_pSelectedTabButton->m_bPushed = false;
        Redraw(*m_pSelectedTabButton);
    }
    m_pSelectedTabButton = button;
}

void CDlgBaseAppDlg::ResetTabButtons() {
    for (CTabButton& button : m_tabButtons) {
        button.EnableDisabledColor(false);
        Redraw(button);
    }
}

void CDlgBaseAppDlg::EnableTabButtons(BOOL tab1, BOOL tab2, BOOL tab3, BOOL tab4, BOOL tab5) {
    const BOOL flags[kMaxAppTabs] = {tab1, tab2, tab3, tab4, tab5};
    for (int i = 0; i < kMaxAppTabs; ++i)
        if (m_tabButtons[i].GetSafeHwnd() != nullptr)
            m_tabButtons[i].EnableWindow(flags[i]);
}

void CDlgBaseAppDlg::EnableCloseControls() {
    if (CMenu* menu = GetSystemMenu(FALSE))
        menu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    for (CWnd* button : {static_cast<CWnd*>(&m_btnClose), static_cast<CWnd*>(&m_btnHelpMenu)})
        if (button->GetSafeHwnd() != nullptr)
            button->EnableWindow(TRUE);
}

void CDlgBaseAppDlg::DisableCloseControls() {
    if (CMenu* menu = GetSystemMenu(FALSE))
        menu->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    for (CWnd* button : {static_cast<CWnd*>(&m_btnClose), static_cast<CWnd*>(&m_btnHelpMenu)})
        if (button->GetSafeHwnd() != nullptr)
            button->EnableWindow(FALSE);
}

BOOL CDlgBaseAppDlg::CreateLeftSideChild(CWnd* container, CDialog* child, UINT templateId) {
    if (container == nullptr || child == nullptr || !child->Create(templateId, container))
        return FALSE;
    child->ShowWindow(SW_HIDE);
    child->EnableWindow(FALSE);
    CRect place;
    container->GetClientRect(&place);
    place.left += kPageLeft;
    place.top += kPageTop;
    child->MoveWindow(&place, TRUE);
    return TRUE;
}

void CDlgBaseAppDlg::OnAppClose() {
    PostMessageW(WM_CLOSE);
    ::PostQuitMessage(0);
}

void CDlgBaseAppDlg::OnCancel() {
    if (m_btnClose.GetSafeHwnd() == nullptr || m_btnClose.IsWindowEnabled())
        CDlgBaseWnd::OnCancel();
}

void CDlgBaseAppDlg::SwitchToTab(int tab) {
    // A tab without a button or a panel has nothing to show: the switch is ignored.
    if (tab >= m_nTabCount || m_tabs[tab].panel == nullptr)
        return;
    if (m_pTabSwitchCallback != nullptr && m_pTabSwitchCallback(this, kTabSwitchCode + tab) == 0)
        return;
    if (tab == 0) {
        SelectTabButton(&m_tabButtons[0]);
        ResetTabButtons();
    } else {
        ResetTabButtons();
        m_tabButtons[tab - 1].EnableDisabledColor(true);
        Redraw(m_tabButtons[tab - 1]);
        SelectTabButton(&m_tabButtons[tab]);
    }
    ShowPanel(m_tabs[tab].panel.get());
}

void CDlgBaseAppDlg::OnTab1() {
    SwitchToTab(0);
}

void CDlgBaseAppDlg::OnTab2() {
    SwitchToTab(1);
}

void CDlgBaseAppDlg::OnTab3() {
    SwitchToTab(2);
}

void CDlgBaseAppDlg::OnTab4() {
    SwitchToTab(3);
}

void CDlgBaseAppDlg::OnTab5() {
    SwitchToTab(4);
}

void CDlgBaseAppDlg::OnPaint() {
    CSkinPaintDC memory(this);
    const CRect& client = memory.Client();
    DrawMainFrame(&memory, client);
    if (m_bShowDatabaseDate) {
        CString line;
        line.Format(L"Database Date : %s", m_strDatabaseDate.GetString());
        CFont* previous = memory.SelectObject(&g_fontUI);
        memory.SetTextColor(RGB(255, 255, 255));
        memory.SetBkMode(TRANSPARENT);
        CRect place(10, client.Height() - 23, 200, client.Height() - 5);
        memory.DrawText(line, &place, DT_WORDBREAK);
        memory.SelectObject(previous);
    }
}

void CDlgBaseAppDlg::OnSize(UINT type, int cx, int cy) {
    CDlgMainWnd::OnSize(type, cx, cy);
    if (m_bMaximized)
        MoveWindow(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN) - 25,
                   TRUE);
}
