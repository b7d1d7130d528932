// The application window and its main window base as real windows: tabs, panels and pages
// through the tab-switch callback, caption buttons and the caption band, the system and help
// menus, the language switch through its restart hook, the demonstration button, the frame's
// pixels and a picture of the window.
#include "UiTestSupport.h"

#include "DlgBaseAppDlg.h"
#include "DlgLeftSideChild.h"
#include "PelqMessageBox.h"
#include "app_state.h"
#include "product_identity.h"
#include "single_instance.h"
#include "vantorix_app.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {
constexpr UINT kPageTemplate = 9001;
constexpr COLORREF kWhite = RGB(255, 255, 255);

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

// What the tab-switch callback was asked, and what it answers to the tab codes.
std::vector<std::pair<CDlgBaseAppDlg*, int>> g_calls;
int g_tabAnswer = 1;
int RecordCallback(CDlgBaseAppDlg* window, int code) {
    g_calls.emplace_back(window, code);
    return code >= kTabSwitchCode ? g_tabAnswer : 1;
}

// Counts what it would otherwise hand on: a caption drag and the close requests.
class TestAppWindow : public CDlgBaseAppDlg {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NCLBUTTONDOWN) {
            m_drags += wParam == HTCAPTION ? 1 : 0;
            return 0;
        }
        if (message == WM_CLOSE) {
            ++m_closes;
            if (m_keepOpen)
                return 0;
        }
        return CDlgBaseAppDlg::WindowProc(message, wParam, lParam);
    }
    int m_drags = 0;
    int m_closes = 0;
    bool m_keepOpen = true;
};

void FillTestLayout(AppLayout& layout, int tabCount) {
    layout.hIcon = ::LoadIconW(GetResourceInstance(), MAKEINTRESOURCEW(148));
    layout.nLogoBitmapId = 1147;
    layout.nTabCount = tabCount;
    for (LPCWSTR caption : {L"Defrag", L"Cleaner", L"Duplicates", L"Disk Tools", L"Options"})
        layout.tabCaptions.Add(caption);
    layout.bLayoutFlag = 1;
    layout.strAboutText = L"Xarn.exe";
    layout.strAboutItemText = L"About Stellmark";
    layout.strWindowTitle = L"Stellmark";
    const std::vector<std::vector<LPCWSTR>> keys = {
        {L"Home", L"Analysis", L"Analysis results", L"Defragmentation", L"Results"},
        {L"Scan", L"Scanning", L"Scan results", L"Clean up", L"Summary"},
        {L"Welcome", L"Locations", L"Scanning", L"Results", L"Cleaning", L"Finish"},
        {L"Overview", L"Disk information", L"Health", L"Benchmark", L"Devices"},
        {L"Cleaner options", L"Finder options", L"Schedule"}};
    const int styles[] = {1, 1, 1, 0, 0};
    for (int i = 0; i < kMaxAppTabs; ++i) {
        layout.tabs[i].nButtonCount = static_cast<int>(keys[i].size());
        layout.tabs[i].nPanelStyle = styles[i];
        for (LPCWSTR key : keys[i])
            layout.tabs[i].buttonKeys.Add(key);
    }
    layout.pTabSwitchCallback = &RecordCallback;
}

// A layout like the main program's: five tabs, their side-button captions and the callback.
struct TestLayout : AppLayout {
    explicit TestLayout(int tabCount = 5) { FillTestLayout(*this, tabCount); }
};

void Open(TestAppWindow& window, const AppLayout& layout) {
    g_calls.clear();
    g_tabAnswer = 1;
    window.SetAppLayout(layout);
    ASSERT_TRUE(window.Create(CDlgBaseAppDlg::kTemplateId, nullptr));
    window.ShowWindow(SW_SHOW);
    window.SetForegroundWindow();
    PumpFor(300);
}

CRect RectInParent(CWnd& child) {
    CRect rect;
    child.GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, ::GetParent(child.m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool Shown(CWnd* window) {
    return window != nullptr && window->IsWindowVisible() && window->IsWindowEnabled();
}

void PostCommand(CWnd& window, UINT id) {
    window.PostMessageW(WM_COMMAND, id, 0);
    PumpFor(150);
}

// Pages in the first slots of a panel, the first one shown, as the main program places them.
std::vector<CDlgLeftSideChild*> AddPages(CDlgBaseAppDlg& window, CDlgLeftDlgBase* panel, int n) {
    std::vector<CDlgLeftSideChild*> pages;
    for (int i = 0; i < n; ++i) {
        auto* page = new CDlgLeftSideChild(kPageTemplate, panel);
        panel->m_pages[i] = page;
        EXPECT_TRUE(window.CreateLeftSideChild(panel, page, kPageTemplate));
        CString title;
        title.Format(L"Page %d of the first tab", i + 1);
        page->SetWindowText(title);
        pages.push_back(page);
    }
    pages[0]->ShowWindow(SW_SHOW);
    pages[0]->EnableWindow(TRUE);
    return pages;
}
} // namespace

TEST(AppWindow, TabsAndPanelsFollowTheLayout) {
    TestAppWindow window;
    EXPECT_EQ(g_pMainAppDlg, &window);
    Open(window, TestLayout());
    CRect outer;
    window.GetWindowRect(&outer);
    EXPECT_EQ(outer.Width(), 772);
    EXPECT_EQ(outer.Height(), 583);
    CString title;
    window.GetWindowText(title);
    EXPECT_EQ(title, L"Stellmark");
    EXPECT_NE(window.GetStyle() & WS_MINIMIZEBOX, 0u);
    EXPECT_EQ(window.m_tabCaptions.GetSize(), 0);
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls.front(), std::make_pair<CDlgBaseAppDlg*>(&window, 11));

    // Tabs start where the layout puts them; none covers its neighbour or leaves the window.
    const int lefts[] = {312, 422, 509, 596, 683};
    for (int i = 0; i < kMaxAppTabs; ++i) {
        CTabButton& tab = window.m_tabButtons[i];
        ASSERT_NE(tab.GetSafeHwnd(), nullptr) << i;
        EXPECT_EQ(tab.GetDlgCtrlID(), static_cast<int>(AppTabCommand::kFirst) + i);
        const CRect place = RectInParent(tab);
        EXPECT_EQ(place.left, lefts[i]);
        EXPECT_EQ(place.top, 55);
        EXPECT_EQ(place.bottom, 77);
        EXPECT_LE(place.Width(), 101);
        if (i + 1 < kMaxAppTabs)
            EXPECT_LT(place.right, lefts[i + 1]) << i;
        EXPECT_LE(place.right, 768) << i;
        CString caption;
        tab.GetWindowText(caption);
        EXPECT_EQ(caption, TestLayout().tabCaptions[i]);
    }
    EXPECT_EQ(RectInParent(window.m_tabButtons[0]).Width(), 101);

    // One panel per tab, all in the same place; only the first shows.
    for (int i = 0; i < kMaxAppTabs; ++i) {
        CDlgLeftDlgBase* panel = window.GetTabPanel(i);
        ASSERT_NE(panel, nullptr) << i;
        EXPECT_EQ(RectInParent(*panel), CRect(4, 94, 768, 579));
        EXPECT_EQ(Shown(panel), i == 0) << i;
        EXPECT_EQ(panel->m_nLayoutMode, i < 3 ? 2 : 3);
        EXPECT_EQ(panel->GetSideButtonCount(), TestLayout().tabs[i].nButtonCount);
    }
    EXPECT_EQ(window.GetCurrentPanel(), window.GetTabPanel(0));
    EXPECT_EQ(window.GetSelectedTabButton(), &window.m_tabButtons[0]);
    EXPECT_TRUE(window.m_tabButtons[0].m_bSelected);
    EXPECT_TRUE(window.m_tabButtons[0].m_bPushed);
    // Opening the window leaves no button holding the mouse, as a pressed button would (the
    // user's first click would be lost), so the first click counts.
    EXPECT_EQ(::GetCapture(), nullptr);
    window.m_tabButtons[1].SendMessageW(WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(::GetCapture(), window.m_tabButtons[1].GetSafeHwnd());
    window.m_tabButtons[1].SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
    EXPECT_EQ(::GetCapture(), nullptr);
    window.DestroyWindow();
}

TEST(AppWindow, TabCommandsSwitchPanelsAfterAskingTheCallback) {
    TestAppWindow window;
    Open(window, TestLayout());
    for (int tab : {4, 1, 2, 3, 0, 2}) {
        g_calls.clear();
        PostCommand(window, AppTabCommand::kFirst + tab);
        ASSERT_EQ(g_calls.size(), 1u) << tab;
        EXPECT_EQ(g_calls[0], std::make_pair<CDlgBaseAppDlg*>(&window, 11 + tab));
        EXPECT_EQ(window.GetCurrentPanel(), window.GetTabPanel(tab));
        for (int i = 0; i < kMaxAppTabs; ++i) {
            EXPECT_EQ(Shown(window.GetTabPanel(i)), i == tab) << tab << " " << i;
            EXPECT_EQ(window.m_tabButtons[i].m_bSelected, i == tab) << tab << " " << i;
            EXPECT_EQ(window.m_tabButtons[i].m_bPushed, i == tab) << tab << " " << i;
            // The tab left of the selected one is drawn in its own look.
            EXPECT_EQ(window.m_tabButtons[i].m_bHasDisabledState, i == tab - 1) << tab << i;
        }
        EXPECT_EQ(window.GetSelectedTabButton(), &window.m_tabButtons[tab]);
    }
    // A callback that refuses leaves the tab and the panel as they are.
    g_tabAnswer = 0;
    g_calls.clear();
    PostCommand(window, AppTabCommand::kFirst + 4);
    EXPECT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(window.GetCurrentPanel(), window.GetTabPanel(2));
    EXPECT_EQ(window.GetSelectedTabButton(), &window.m_tabButtons[2]);
    EXPECT_TRUE(Shown(window.GetTabPanel(2)));
    EXPECT_FALSE(Shown(window.GetTabPanel(4)));
    // Disabled tab buttons, one flag each.
    window.EnableTabButtons(TRUE, FALSE, TRUE, FALSE, TRUE);
    for (int i = 0; i < kMaxAppTabs; ++i)
        EXPECT_EQ(window.m_tabButtons[i].IsWindowEnabled() != FALSE, i % 2 == 0) << i;
    window.DestroyWindow();
}

TEST(AppWindow, TabsBeyondTheCountOrWithMismatchedKeysGetNothing) {
    TestAppWindow window;
    TestLayout layout(3);
    // Four buttons announced, five captions given: no panel.
    layout.tabs[1].nButtonCount = 4;
    Open(window, layout);
    EXPECT_NE(window.m_tabButtons[2].GetSafeHwnd(), nullptr);
    EXPECT_EQ(window.m_tabButtons[3].GetSafeHwnd(), nullptr);
    EXPECT_EQ(window.m_tabButtons[4].GetSafeHwnd(), nullptr);
    EXPECT_NE(window.GetTabPanel(0), nullptr);
    EXPECT_EQ(window.GetTabPanel(1), nullptr);
    EXPECT_NE(window.GetTabPanel(2), nullptr);
    EXPECT_EQ(window.GetTabPanel(3), nullptr);
    EXPECT_EQ(window.GetTabPanel(4), nullptr);
    // A tab without a panel, and one without a button, ignore the switch.
    for (int tab : {1, 3, 4}) {
        g_calls.clear();
        PostCommand(window, AppTabCommand::kFirst + tab);
        EXPECT_TRUE(g_calls.empty()) << tab;
        EXPECT_EQ(window.GetCurrentPanel(), window.GetTabPanel(0)) << tab;
        EXPECT_EQ(window.GetSelectedTabButton(), &window.m_tabButtons[0]) << tab;
        EXPECT_TRUE(Shown(window.GetTabPanel(0))) << tab;
    }
    PostCommand(window, AppTabCommand::kFirst + 2);
    EXPECT_EQ(window.GetCurrentPanel(), window.GetTabPanel(2));
    EXPECT_FALSE(Shown(window.GetTabPanel(0)));
    window.DestroyWindow();
}

TEST(AppWindow, PagesSitRightOfTheSideButtonsAndSwitchByCommand) {
    TestAppWindow window;
    Open(window, TestLayout());
    CDlgLeftDlgBase* panel = window.GetTabPanel(0);
    ASSERT_NE(panel, nullptr);
    const std::vector<CDlgLeftSideChild*> pages = AddPages(window, panel, 3);
    CRect client;
    panel->GetClientRect(&client);
    for (CDlgLeftSideChild* page : pages)
        EXPECT_EQ(RectInParent(*page), CRect(170, 2, client.right, client.bottom));
    EXPECT_FALSE(Shown(pages[1]));

    // A page command posted to the panel shows its slot; the panel's report reaches the
    // window's callback with the window itself.
    g_calls.clear();
    PostCommand(*panel, 1201);
    EXPECT_TRUE(Shown(pages[2]));
    EXPECT_FALSE(Shown(pages[0]));
    EXPECT_FALSE(Shown(pages[1]));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0], std::make_pair<CDlgBaseAppDlg*>(&window, 5));
    PostCommand(*panel, 1199);
    EXPECT_TRUE(Shown(pages[0]));
    EXPECT_FALSE(Shown(pages[2]));

    // A page of another tab's panel is hidden with its panel.
    CDlgLeftDlgBase* second = window.GetTabPanel(1);
    const std::vector<CDlgLeftSideChild*> junk = AddPages(window, second, 1);
    EXPECT_FALSE(junk[0]->IsWindowVisible());
    PostCommand(window, AppTabCommand::kFirst + 1);
    EXPECT_TRUE(junk[0]->IsWindowVisible());
    EXPECT_FALSE(pages[0]->IsWindowVisible());

    CDlgLeftSideChild missing(4242, panel);
    EXPECT_FALSE(window.CreateLeftSideChild(panel, &missing, 4242));
    EXPECT_FALSE(window.CreateLeftSideChild(nullptr, &missing, kPageTemplate));
    window.DestroyWindow();
}

TEST(AppWindow, CaptionAndHeaderButtons) {
    g_bShowHeaderButtons = 1;
    TestAppWindow window;
    Open(window, TestLayout());
    ASSERT_NE(window.m_btnClose.GetSafeHwnd(), nullptr);
    EXPECT_EQ(RectInParent(window.m_btnClose).TopLeft(), CPoint(743, 7));
    EXPECT_EQ(RectInParent(window.m_btnClose).Height(), 23);
    EXPECT_EQ(RectInParent(window.m_btnMinimize).TopLeft(), CPoint(717, 7));
    EXPECT_FALSE(window.m_btnMaximize.IsWindowVisible());
    EXPECT_FALSE(window.m_btnRestore.IsWindowVisible());
    EXPECT_EQ(RectInParent(window.m_btnHelpMenu), CRect(665, 7, 688, 30));
    EXPECT_EQ(RectInParent(window.m_btnHeader), CRect(691, 7, 714, 30));
    EXPECT_EQ(window.m_btnHeader.GetDlgCtrlID(), static_cast<int>(MainWndCommand::kHeaderAbout));

    // While an operation runs the window cannot be closed, not even by Escape.
    window.DisableCloseControls();
    EXPECT_FALSE(window.m_btnClose.IsWindowEnabled());
    EXPECT_FALSE(window.m_btnHelpMenu.IsWindowEnabled());
    EXPECT_NE(window.GetSystemMenu(FALSE)->GetMenuState(SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);
    window.m_bIgnoreHeldEscape = 0;
    PostCommand(window, IDCANCEL);
    EXPECT_TRUE(window.IsWindowVisible());
    window.EnableCloseControls();
    EXPECT_TRUE(window.m_btnClose.IsWindowEnabled());
    EXPECT_TRUE(window.m_btnHelpMenu.IsWindowEnabled());
    EXPECT_EQ(window.GetSystemMenu(FALSE)->GetMenuState(SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);

    PostCommand(window, MainWndCommand::kMinimize);
    PumpFor(200);
    EXPECT_TRUE(window.IsIconic());
    window.SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(200);
    EXPECT_FALSE(window.IsIconic());
    window.DestroyWindow();
}

namespace {
TestAppWindow* g_modal = nullptr;
UINT g_closeCommand = 0;
void CALLBACK AskToClose(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (g_modal != nullptr && g_modal->GetSafeHwnd() != nullptr)
        g_modal->PostMessageW(WM_COMMAND, g_closeCommand, 0);
}
} // namespace

TEST(AppWindow, EscapeAndTheCloseButtonEndTheModalRun) {
    for (UINT command : {UINT(IDCANCEL), MainWndCommand::kClose}) {
        TestAppWindow window;
        window.m_keepOpen = false;
        window.m_bIgnoreHeldEscape = 0;
        window.SetAppLayout(TestLayout());
        g_modal = &window;
        g_closeCommand = command;
        ::SetTimer(nullptr, 0, 500, &AskToClose);
        EXPECT_EQ(window.DoModal(), IDCANCEL) << command;
        g_modal = nullptr;
        // The close button ends the process's message loop as well.
        MSG quit{};
        EXPECT_EQ(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE,
                  command == MainWndCommand::kClose)
            << command;
    }
}
