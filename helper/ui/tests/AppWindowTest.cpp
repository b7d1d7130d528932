// The application window and its main window base as real windows: tabs, panels and pages
// through the tab-switch callback, caption buttons and the caption band, the system and help
// menus, the language switch through its restart hook, the demonstration button, the frame's
// pixels and a picture of the window.
#include "UiTestSupport.h"

#include "DlgAbout.h"
#include "DlgBaseAppDlg.h"
#include "DlgLeftSideChild.h"
#include "DlgPelqFeedback.h"
#include "DlgBaseMessageBoxWndBase.h"
#include "AppState.h"
#include "ProductIdentity.h"
#include "SingleInstance.h"
#include "VantorixApp.h"

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
        panel->SetPage(i, page);
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
        if (i + 1 < kMaxAppTabs) {
            EXPECT_LT(place.right, lefts[i + 1]) << i;
        }
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
        EXPECT_EQ(panel->LayoutMode(), i < 3 ? 2 : 3);
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

TEST(AppWindow, Picture) {
    g_bShowHeaderButtons = 1;
    TestAppWindow window;
    Open(window, TestLayout());
    CDlgLeftDlgBase* panel = window.GetTabPanel(0);
    ASSERT_NE(panel, nullptr);
    panel->LoadSideButtonImages(1364);
    panel->EnableNavButtons(TRUE, TRUE, TRUE, FALSE, FALSE, FALSE, FALSE);
    const std::vector<CDlgLeftSideChild*> pages = AddPages(window, panel, 2);
    pages[0]->SetWindowText(L"Defragment your drives");
    window.RedrawWindow(nullptr, nullptr,
                        RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(400);
    CRect place;
    window.GetWindowRect(&place);
    EXPECT_TRUE(SaveScreenPng(place, BesideProgram(L"app_window.png").c_str()));
    PostCommand(window, AppTabCommand::kFirst + 2);
    PumpFor(300);
    EXPECT_TRUE(SaveScreenPng(place, BesideProgram(L"app_window_tab3.png").c_str()));
    window.DestroyWindow();
}

TEST(MainWindow, CaptionBandDragsOnlyWhileNotMaximised) {
    TestAppWindow window;
    Open(window, TestLayout());
    auto press = [&window](int y) {
        window.SendMessageW(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, y));
        window.SendMessageW(WM_LBUTTONUP, 0, MAKELPARAM(300, y));
    };
    press(10);
    press(28);
    EXPECT_EQ(window.m_drags, 2);
    press(29);
    EXPECT_EQ(window.m_drags, 2) << "below the band";
    window.m_bMaximized = 1;
    press(10);
    EXPECT_EQ(window.m_drags, 2) << "maximised";
    window.m_bMaximized = 0;
    // Without maximising allowed a double click in the band is an ordinary one.
    window.SendMessageW(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 10));
    PumpFor(200);
    EXPECT_EQ(window.m_bMaximized, 0);
    CRect place;
    window.GetWindowRect(&place);
    EXPECT_EQ(place.Width(), 772);
    window.DestroyWindow();
}

TEST(MainWindow, DoubleClickInTheBandTogglesMaximisedWhenAllowed) {
    TestAppWindow window;
    TestLayout layout;
    layout.bMaximizeAllowed = 1;
    Open(window, layout);
    EXPECT_TRUE(window.m_btnMaximize.IsWindowVisible());
    EXPECT_FALSE(window.m_btnRestore.IsWindowVisible());
    window.SendMessageW(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 29));
    PumpFor(200);
    EXPECT_EQ(window.m_bMaximized, 0);
    window.SendMessageW(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 28));
    PumpFor(300);
    EXPECT_EQ(window.m_bMaximized, 1);
    EXPECT_FALSE(window.m_btnMaximize.IsWindowVisible());
    EXPECT_TRUE(window.m_btnRestore.IsWindowVisible());
    CRect place;
    window.GetWindowRect(&place);
    EXPECT_EQ(place.Width(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(place.Height(), ::GetSystemMetrics(SM_CYSCREEN) - 25);
    window.SendMessageW(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(300, 28));
    PumpFor(300);
    EXPECT_EQ(window.m_bMaximized, 0);
    EXPECT_TRUE(window.m_btnMaximize.IsWindowVisible());
    window.GetWindowRect(&place);
    EXPECT_EQ(place.Width(), 772);
    window.DestroyWindow();
}

TEST(MainWindow, SystemMenuIsRebuiltAndClosesOnce) {
    TestAppWindow window;
    Open(window, TestLayout());
    CMenu* menu = window.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    const UINT ids[] = {
        MainWndCommand::kSystemMenuAbout, SC_RESTORE, SC_MINIMIZE, SC_MOVE, 0, SC_CLOSE};
    const LPCWSTR texts[] = {L"About Stellmark", L"Restore", L"Minimize", L"Move", L"", L"Close"};
    ASSERT_EQ(menu->GetMenuItemCount(), std::size(ids));
    for (UINT i = 0; i < std::size(ids); ++i) {
        EXPECT_EQ(menu->GetMenuItemID(i), ids[i]) << i;
        CString text;
        menu->GetMenuString(i, text, MF_BYPOSITION);
        EXPECT_EQ(text, texts[i]) << i;
    }
    // One close request, not a second one from the default handling.
    window.SendMessageW(WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(200);
    EXPECT_EQ(window.m_closes, 1);
    EXPECT_EQ(window.m_bSysCommandSeen, 1);
    window.SendMessageW(WM_SYSCOMMAND, 0x8001, 0);
    PumpFor(200);
    EXPECT_TRUE(window.IsIconic());
    window.SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpFor(200);
    EXPECT_FALSE(window.IsIconic());
    window.DestroyWindow();
}

TEST(MainWindow, TrackingSizesKeepAboveTheTaskbar) {
    TestAppWindow window;
    Open(window, TestLayout());
    MINMAXINFO info{};
    window.SendMessageW(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 772);
    EXPECT_EQ(info.ptMinTrackSize.y, 583);
    int taskbar = 0;
    if (const HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        CRect client;
        ::GetClientRect(tray, &client);
        taskbar = client.Height();
    }
    EXPECT_EQ(info.ptMaxTrackSize.x, ::GetSystemMetrics(SM_CXMAXTRACK));
    EXPECT_EQ(info.ptMaxTrackSize.y, ::GetSystemMetrics(SM_CYMAXTRACK) - taskbar - 5);
    window.DestroyWindow();
}

namespace {
struct MenuSeen {
    std::vector<UINT> ids;
    CRect place;
    const wchar_t* shot = nullptr;
    bool read = false;
} g_menu;

void CALLBACK ReadHelpMenu(HWND, UINT, UINT_PTR id, DWORD) {
    static int ticks = 0;
    const HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (popup == nullptr || !::IsWindowVisible(popup)) {
        // A menu that never shows must not keep the test waiting.
        if (++ticks > 50) {
            ::KillTimer(nullptr, id);
            ::EndMenu();
        }
        return;
    }
    ticks = 0;
    ::KillTimer(nullptr, id);
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        g_menu.ids.push_back(::GetMenuItemID(menu, i));
    ::GetWindowRect(popup, &g_menu.place);
    if (g_menu.shot != nullptr) {
        EXPECT_TRUE(SaveScreenPng(g_menu.place, BesideProgram(g_menu.shot).c_str()));
    }
    g_menu.read = true;
    ::EndMenu();
}

std::vector<UINT> OpenHelpMenu(TestAppWindow& window, const wchar_t* shot) {
    g_menu = MenuSeen{};
    g_menu.shot = shot;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, &ReadHelpMenu);
    window.SetForegroundWindow();
    window.OnHelpMenuButton();
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(g_menu.read);
    return g_menu.ids;
}
} // namespace

TEST(MainWindow, HelpMenuOpensUnderItsButtonWithItsItems) {
    g_bShowHeaderButtons = 1;
    TestAppWindow window;
    Open(window, TestLayout());
    const std::vector<UINT> plain = OpenHelpMenu(window, L"app_help_menu.png");
    EXPECT_EQ(plain,
              (std::vector<UINT>{MainWndCommand::kOnlineHelp, MainWndCommand::kCompanySite}));
    CRect button;
    window.m_btnHelpMenu.GetWindowRect(&button);
    EXPECT_EQ(g_menu.place.TopLeft(), CPoint(button.left - 181, button.top + 22));
    // The demonstration item needs both the window's and the program's permission.
    window.m_bDemoItemAllowed = 1;
    EXPECT_EQ(OpenHelpMenu(window, nullptr).size(), 2u);
    g_bShowDemoMenu = 1;
    EXPECT_EQ(OpenHelpMenu(window, nullptr),
              (std::vector<UINT>{MainWndCommand::kOnlineHelp, MainWndCommand::kCompanySite,
                                 MainWndCommand::kDemoMenu}));
    g_bShowDemoMenu = 0;
    window.DestroyWindow();
}

TEST(MainWindow, FrameAndLogo) {
    TestAppWindow window;
    Open(window, TestLayout());
    Canvas canvas(772, 583, RGB(1, 2, 3));
    const CRect client(0, 0, 772, 583);
    window.m_nLogoBitmapId = 0;
    window.DrawMainFrame(canvas.DC(), client);
    const COLORREF blue = RGB(0x2D, 0x6D, 0xB5);
    const COLORREF navy = RGB(0x1F, 0x4E, 0x85);
    EXPECT_EQ(canvas.Pixel(386, 20), blue);
    EXPECT_EQ(canvas.Pixel(386, 77), blue) << "the line under the tabs";
    EXPECT_EQ(canvas.Pixel(0, 60), navy);
    EXPECT_EQ(canvas.Pixel(0, 300), navy) << "left edge";
    EXPECT_EQ(canvas.Pixel(771, 300), navy) << "right edge";
    EXPECT_EQ(canvas.Pixel(386, 582), navy) << "bottom edge";
    EXPECT_EQ(canvas.Pixel(386, 300), RGB(1, 2, 3)) << "the inside is the caller's";
    EXPECT_EQ(canvas.Pixel(20, 20), blue) << "no logo with id 0";
    window.m_nLogoBitmapId = 1147;
    window.DrawMainFrame(canvas.DC(), client);
    EXPECT_EQ(canvas.Pixel(20, 20), kWhite) << "the logo's tile";
    window.DestroyWindow();
}

TEST(MainWindow, VersionLineNamesTheProduct) {
    TestAppWindow window;
    Open(window, TestLayout());
    EXPECT_EQ(g_strVersionText.Find(GetProductShortName()), 0) << g_strVersionText.GetString();
    EXPECT_GT(g_strVersionText.Find(L" version "), 0);
    window.DestroyWindow();
}

namespace {
// The product's message boxes asked during a test: their texts, answered by pressing a button
// (a key another test left held would keep Enter and Escape from closing a box).
constexpr int kFirstBoxButton = 1185;
constexpr int kSecondBoxButton = 1186;
std::vector<CString> g_boxTexts;
int g_boxAnswer = kFirstBoxButton;

void CALLBACK AnswerBoxLater(HWND box, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(box, id);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(g_boxAnswer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, g_boxAnswer)));
}

void AnswerBox(CDlgBaseMessageBoxWndBase* box) {
    g_boxTexts.push_back(box->m_strMessage);
    box->SetTimer(77, 100, &AnswerBoxLater);
}

// What a restart would have started, and what the new instance would have found.
struct RestartSeen {
    int calls = 0;
    CString program;
    bool instanceMutexGone = false;
    bool windowHidden = false;
} g_restart;
CString g_mutexName;
HWND g_switchingWindow = nullptr;

void RecordRestart(const CString& program) {
    ++g_restart.calls;
    g_restart.program = program;
    const KernelHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, g_mutexName));
    g_restart.instanceMutexGone = !mutex;
    g_restart.windowHidden = !::IsWindowVisible(g_switchingWindow);
}

class LanguageApp : public CVantorixApp {
public:
    explicit LanguageApp(LPCWSTR title) : CVantorixApp(title, L"pelq.ini") {}
};

CString ReadChoice(const std::wstring& path) {
    wchar_t text[32] = {};
    ::GetPrivateProfileStringW(L"LANGUAGE", L"CURRENTLANG", L"", text, 32, path.c_str());
    return text;
}

class LanguageSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxAnswerHook(&AnswerBox);
        SetProgramRestartHook(&RecordRestart);
        g_boxTexts.clear();
        g_restart = RestartSeen{};
        ::DeleteFileW(m_choice.c_str());
    }
    void TearDown() override {
        SetMessageBoxAnswerHook(nullptr);
        SetProgramRestartHook(nullptr);
        ::DeleteFileW(m_choice.c_str());
    }
    const std::wstring m_choice = BesideProgram(L"lang.lng");
};
} // namespace

TEST_F(LanguageSwitch, AsksWritesTheChoiceAndLetsTheNewInstanceStart) {
    CString title;
    title.Format(L"Language switch %lu", ::GetCurrentProcessId());
    LanguageApp app(title);
    ASSERT_FALSE(IsAnotherInstanceRunning(&app));
    g_mutexName = app.GetInstanceMutexName();
    TestAppWindow window;
    Open(window, TestLayout());
    g_switchingWindow = window.GetSafeHwnd();

    // The current language is English: choosing it again asks nothing.
    PostCommand(window, MainWndCommand::kLanguageEnglish);
    EXPECT_TRUE(g_boxTexts.empty());

    // Declined: nothing written, nothing restarted.
    g_boxAnswer = kSecondBoxButton;
    EXPECT_FALSE(window.SwitchLanguage(L"LANG2"));
    ASSERT_EQ(g_boxTexts.size(), 1u);
    EXPECT_GE(g_boxTexts[0].Find(L"The program restarts in the chosen language. Restart now?"), 0);
    EXPECT_EQ(g_restart.calls, 0);

    // Accepted without a language file: reported, nothing restarted.
    g_boxAnswer = kFirstBoxButton;
    g_boxTexts.clear();
    EXPECT_FALSE(window.SwitchLanguage(L"LANG2"));
    ASSERT_EQ(g_boxTexts.size(), 2u);
    EXPECT_GE(g_boxTexts[1].Find(L"Failed to load Language File:"), 0);
    EXPECT_GT(g_boxTexts[1].Find(L"lang.lng"), 0);
    EXPECT_EQ(g_restart.calls, 0);

    // With the file: the choice is written and the program starts again, after this instance
    // gave up its instance mutex and hid its window.
    ASSERT_TRUE(
        ::WritePrivateProfileStringW(L"LANGUAGE", L"CURRENTLANG", L"LANG1", m_choice.c_str()));
    g_boxTexts.clear();
    PostCommand(window, MainWndCommand::kLanguageFrench);
    PumpFor(500);
    EXPECT_EQ(g_boxTexts.size(), 1u);
    EXPECT_EQ(ReadChoice(m_choice), L"LANG2");
    ASSERT_EQ(g_restart.calls, 1);
    EXPECT_EQ(g_restart.program.Left(1), L"\"");
    EXPECT_EQ(g_restart.program.Right(5), L".exe\"");
    EXPECT_TRUE(g_restart.instanceMutexGone);
    EXPECT_TRUE(g_restart.windowHidden);
    window.DestroyWindow();
}

TEST(MainWindow, DemoButtonStartsTheDemonstrationOnceInItsQuietTime) {
    const std::wstring demo = BesideProgram(L"XarnDemo.exe");
    const std::wstring answer = BesideProgram(L"demo_args.txt");
    // The build's stand-ins lie beside the programs' folder ("\\?\\" paths take no "..").
    std::wstring standIn = BesideProgram(L"");
    standIn.resize(standIn.find_last_of(L'\\', standIn.size() - 2) + 1);
    standIn += L"standins\\ui_demo_standin.exe";
    ASSERT_TRUE(::CopyFileW(standIn.c_str(), demo.c_str(), FALSE)) << ::GetLastError();
    ::DeleteFileW(answer.c_str());
    TestAppWindow window;
    Open(window, TestLayout());
    ASSERT_TRUE(window.m_btnDemo.Create(L"Demo", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                        CRect(20, 60, 120, 80), &window,
                                        MainWndCommand::kDemoButton));
    EXPECT_EQ(g_strDemoArgument, L"XRN");

    ULONGLONG start = ::GetTickCount64();
    window.OnDemoButton();
    EXPECT_GE(::GetTickCount64() - start, 500u) << "the button rests while the program starts";
    EXPECT_TRUE(window.m_btnDemo.IsWindowEnabled());
    CString arguments;
    for (int i = 0; i < 100 && arguments.IsEmpty(); ++i) {
        PumpFor(100);
        const KernelHandle handle(::CreateFileW(answer.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        if (!handle)
            continue;
        wchar_t text[64] = {};
        DWORD read = 0;
        EXPECT_TRUE(::ReadFile(handle.Get(), text, sizeof(text) - sizeof(wchar_t), &read, nullptr));
        arguments = text;
    }
    EXPECT_EQ(arguments, L"XRN");

    // A second press in the quiet time starts nothing and does not rest.
    ::DeleteFileW(answer.c_str());
    start = ::GetTickCount64();
    window.PostMessageW(WM_COMMAND, MainWndCommand::kDemoMenu, 0);
    PumpFor(1500);
    EXPECT_LT(::GetTickCount64() - start, 1900u);
    EXPECT_EQ(::GetFileAttributesW(answer.c_str()), INVALID_FILE_ATTRIBUTES);
    window.DestroyWindow();
    ::DeleteFileW(demo.c_str());
}

namespace {
BOOL CALLBACK CollectShownWindow(HWND window, LPARAM windows) {
    if (::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The first shown window of this thread that is a `T`; null when none is.
template <typename T> T* FindShown() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectShownWindow,
                        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows)
        if (auto* found = dynamic_cast<T*>(CWnd::FromHandlePermanent(window)))
            return found;
    return nullptr;
}

// Which pop-up a command opened over the main window; the pop-up is closed as cancelled.
struct PopupSeen {
    bool about = false;
    bool feedback = false;
} g_popup;

void CALLBACK ClosePopup(HWND, UINT, UINT_PTR id, DWORD) {
    CDlgBaseWndPopupNagBase* popup = FindShown<CDlgBaseWndPopupNagBase>();
    if (popup == nullptr)
        return;
    ::KillTimer(nullptr, id);
    g_popup.about = dynamic_cast<CDlgAbout*>(popup) != nullptr;
    g_popup.feedback = dynamic_cast<CDlgPelqFeedback*>(popup) != nullptr;
    // Closed without a key: a key another test left held could keep Escape from closing it.
    popup->SetResultAndClose(IDCANCEL);
}

PopupSeen RunCommand(CWnd& window, UINT message, UINT id) {
    g_popup = PopupSeen{};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, &ClosePopup);
    window.PostMessageW(message, id, 0);
    PumpFor(1500);
    ::KillTimer(nullptr, timer);
    return g_popup;
}
} // namespace

TEST(MainWindow, HeaderAndMenuCommandsOpenAboutAndFeedbackOverTheMainWindow) {
    CString title;
    title.Format(L"Header commands %lu", ::GetCurrentProcessId());
    LanguageApp app(title);
    g_bShowHeaderButtons = 1;
    TestAppWindow window;
    Open(window, TestLayout());
    app.m_pMainWnd = &window;
    for (auto [message, id] : {std::pair<UINT, UINT>{WM_COMMAND, MainWndCommand::kHeaderAbout},
                               {WM_COMMAND, MainWndCommand::kAboutMenu},
                               {WM_SYSCOMMAND, MainWndCommand::kSystemMenuAbout}}) {
        const PopupSeen seen = RunCommand(window, message, id);
        EXPECT_TRUE(seen.about) << id;
        EXPECT_TRUE(window.IsWindowVisible()) << id;
    }
    EXPECT_TRUE(RunCommand(window, WM_COMMAND, MainWndCommand::kReportFeedback).feedback);
    app.m_pMainWnd = nullptr;
    window.DestroyWindow();
}
