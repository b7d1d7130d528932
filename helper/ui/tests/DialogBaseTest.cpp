// The dialog base, pages, the left panel and the restore-point wait dialog as real windows:
// scaled placement, held keys, page painting, side buttons and pages, and the wait dialog's
// outcome through the System Restore stand-in.
#include "UiTestSupport.h"

#include "DlgBaseWnd.h"
#include "DlgCreateRestorePoint.h"
#include "DlgLeftDlgBase.h"
#include "DlgLeftSideChild.h"
#include "LeftSideBtns.h"
#include "SkinIconHandle.h"
#include "UiFonts.h"
#include "WndClientRect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {
constexpr UINT kPageTemplate = 9001;
constexpr UINT kPanelTemplate = 1272;
constexpr UINT kPopupTemplate = 9002;
constexpr int kPageText = 1000;

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

CRect RectInParent(CWnd* child) {
    CRect rect;
    child->GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, ::GetParent(child->m_hWnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PressKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof(input));
}

// A modal dialog that asks itself to close while its key is held, then again once released.
// The key's state is the dialog's own: keys pressed through the system's input queue would stay
// in the desktop's key state for every later program of the session.
class HeldKeyDialog : public CDlgBaseWnd {
public:
    HeldKeyDialog(WORD key, bool ignoreHeld) : CDlgBaseWnd(kPopupTemplate, nullptr), m_key(key) {
        m_bIgnoreHeldEnter = m_bIgnoreHeldEscape = ignoreHeld ? 1 : 0;
    }
    BOOL OnInitDialog() override {
        CDlgBaseWnd::OnInitDialog();
        m_held = true;
        SetTimer(1, 200, nullptr);
        return TRUE;
    }
    void OnTimer(UINT_PTR id) {
        if (++m_ticks == 1) {
            PostMessageW(WM_COMMAND, m_key == VK_RETURN ? IDOK : IDCANCEL);
        } else if (m_ticks == 3) {
            m_openWhileHeld = ::IsWindowVisible(m_hWnd) != FALSE;
            m_held = false;
        } else if (m_ticks == 5) {
            PostMessageW(WM_COMMAND, m_key == VK_RETURN ? IDOK : IDCANCEL);
        } else if (m_ticks > 20) {
            KillTimer(id);
            EndDialog(-5);
        }
    }
    WORD m_key;
    bool m_held = false;
    int m_ticks = 0;
    bool m_openWhileHeld = false;

protected:
    bool IsKeyHeld(int virtualKey) const override { return m_held && virtualKey == m_key; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HeldKeyDialog, CDlgBaseWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()

int g_paintCalls = 0;
int CountingPainter(CDlgBaseWnd*, int userValue, CDC*, RECT* client) {
    g_paintCalls += userValue;
    return client->right > 0 ? 1 : 0;
}

// A page that counts its destruction.
class CountedPage : public CWnd {
public:
    explicit CountedPage(int* deaths) : m_deaths(deaths) {}
    ~CountedPage() override { ++*m_deaths; }
    int* m_deaths;
};

std::vector<int> g_actions;
void RecordAction(CDlgLeftDlgBase*, int action) {
    g_actions.push_back(action);
}
} // namespace

HFONT FontOf(CWnd* control) {
    return reinterpret_cast<HFONT>(control->SendMessageW(WM_GETFONT));
}

// The operations the library exports under two ordinals: both lead to one function.
FARPROC LibraryOrdinal(WORD ordinal) {
    return GetProcAddress(GetModuleHandleW(L"xarnhelper.dll"), MAKEINTRESOURCEA(ordinal));
}

// The wait dialog's text must fit its control: measured with the control's own font.
bool TextFitsControl(CWnd* control) {
    CString text;
    control->GetWindowText(text);
    CRect client;
    control->GetClientRect(&client);
    CClientDC dc(control);
    const HGDIOBJ previous = ::SelectObject(dc.m_hDC, FontOf(control));
    CRect needed = client;
    dc.DrawText(text, &needed, DT_CALCRECT | DT_WORDBREAK);
    ::SelectObject(dc.m_hDC, previous);
    return !text.IsEmpty() && needed.Width() <= client.Width() &&
           needed.Height() <= client.Height();
}

struct WaitDialogLook {
    bool seen = false;
    bool textFits = false;
    CString text;
};
WaitDialogLook g_waitLook;

// One window of the thread: when it is the wait dialog, checks its text and photographs it.
BOOL CALLBACK LookAtWindow(HWND window, LPARAM) {
    HWND text = ::GetDlgItem(window, 12549);
    if (text == nullptr || !::IsWindowVisible(window))
        return TRUE;
    CWnd* control = CWnd::FromHandle(text);
    g_waitLook.seen = true;
    g_waitLook.textFits = TextFitsControl(control);
    control->GetWindowText(g_waitLook.text);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CRect shot;
    ::GetWindowRect(window, &shot);
    EXPECT_TRUE(SaveScreenPng(shot, BesideProgram(L"restore_point_wait.png").c_str()));
    return FALSE;
}

// Looks for the wait dialog while its modal loop runs.
void CALLBACK LookAtWaitDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!g_waitLook.seen)
        ::EnumThreadWindows(::GetCurrentThreadId(), &LookAtWindow, 0);
    if (g_waitLook.seen)
        ::KillTimer(nullptr, timer);
}

TEST(DialogBase, MoveDlgItemScaledTurnsDialogUnitsIntoPixels) {
    HostWindow host;
    CDlgBaseWnd dialog(kPageTemplate, &host);
    ASSERT_TRUE(dialog.Create(kPageTemplate, &host));
    CWnd* text = dialog.GetDlgItem(kPageText);
    ASSERT_NE(text, nullptr);
    dialog.MoveDlgItemScaled(kPageText, 10, 10, 100, 20);
    EXPECT_EQ(RectInParent(text), CRect(16, 17, 16 + 151, 17 + 33));
    dialog.MoveDlgItemScaled(kPageText, 0, 1, 1, 0);
    EXPECT_EQ(RectInParent(text), CRect(0, 2, 2, 2));
    dialog.MoveDlgItemScaledPos(kPageText, 10, 10, 100, 20);
    EXPECT_EQ(RectInParent(text), CRect(16, 17, 116, 37));
    // A missing control is skipped.
    dialog.MoveDlgItemScaled(4242, 1, 1, 1, 1);
    dialog.DestroyWindow();
}

TEST(DialogBase, HeldEnterOrEscapeKeepsTheDialogOpen) {
    for (WORD key : {WORD(VK_RETURN), WORD(VK_ESCAPE)}) {
        HeldKeyDialog guarded(key, true);
        EXPECT_EQ(guarded.DoModal(), key == VK_RETURN ? IDOK : IDCANCEL);
        EXPECT_TRUE(guarded.m_openWhileHeld) << key;
        EXPECT_GE(guarded.m_ticks, 5);

        HeldKeyDialog unguarded(key, false);
        EXPECT_EQ(unguarded.DoModal(), key == VK_RETURN ? IDOK : IDCANCEL);
        EXPECT_LT(unguarded.m_ticks, 3) << "closed at once, key " << key;
    }
}

TEST(DialogBase, TooltipControlOnlyWithTooltipsOn) {
    HostWindow host;
    for (BYTE on : {BYTE(0), BYTE(1)}) {
        g_bShowToolTips = on;
        CDlgBaseWnd dialog(kPageTemplate, &host);
        ASSERT_TRUE(dialog.Create(kPageTemplate, &host));
        EXPECT_EQ(dialog.m_toolTip.GetSafeHwnd() != nullptr, on != 0);
        dialog.DestroyWindow();
    }
    g_bShowToolTips = 0;
}

TEST(DialogBase, SharedAttentionIconOutlivesEachDialog) {
    HostWindow host;
    {
        CDlgBaseWnd first(kPageTemplate, &host);
        ASSERT_TRUE(first.Create(kPageTemplate, &host));
        first.DestroyWindow();
    }
    ASSERT_NE(g_hAttentionIcon, nullptr);
    ASSERT_GT(CSkinIconHandle::QueryIconSize(g_hAttentionIcon).cx, 0) << "still a live icon";
    const HICON before = g_hAttentionIcon;
    CDlgBaseWnd second(kPageTemplate, &host);
    ASSERT_TRUE(second.Create(kPageTemplate, &host));
    EXPECT_EQ(g_hAttentionIcon, before) << "loaded once";
    second.DestroyWindow();
}

// Controls that no class subclasses (plain statics, an unbound link) take the UI font too, in
// a dialog, a page and the left panel alike; the template's own font is smaller.
TEST(DialogFonts, PlainControlsTakeTheUIFont) {
    HostWindow host(RGB(255, 255, 255), 800, 520);
    const HFONT ui = static_cast<HFONT>(g_fontUI.GetSafeHandle());
    ASSERT_NE(ui, nullptr);
    CDlgBaseWnd dialog(kPageTemplate, &host);
    ASSERT_TRUE(dialog.Create(kPageTemplate, &host));
    ASSERT_EQ(CWnd::FromHandlePermanent(dialog.GetDlgItem(kPageText)->m_hWnd), nullptr)
        << "the static is a plain control";
    EXPECT_EQ(FontOf(dialog.GetDlgItem(kPageText)), ui);
    LOGFONTW used{};
    ASSERT_NE(::GetObjectW(FontOf(dialog.GetDlgItem(kPageText)), sizeof(used), &used), 0);
    EXPECT_EQ(used.lfHeight, -12) << "the UI font, not the template's -11";
    dialog.DestroyWindow();

    CDlgLeftSideChild page(kPageTemplate, &host);
    ASSERT_TRUE(page.Create(kPageTemplate, &host));
    EXPECT_EQ(FontOf(page.GetDlgItem(kPageText)), ui);
    page.DestroyWindow();

    CDlgLeftDlgBase panel(kPanelTemplate, &host);
    panel.SetLayoutMode(3); // the scan link stays unbound
    ASSERT_TRUE(panel.Create(kPanelTemplate, &host));
    CWnd* scanLink = panel.GetDlgItem(1197);
    ASSERT_NE(scanLink, nullptr);
    ASSERT_EQ(CWnd::FromHandlePermanent(scanLink->m_hWnd), nullptr);
    EXPECT_EQ(FontOf(scanLink), ui);
    EXPECT_EQ(FontOf(panel.GetDlgItem(1181)), ui) << "the bound update link as before";
    panel.DestroyWindow();
}

TEST(DialogExports, SecondOrdinalsAndTheClientRectangle) {
    // Posting a command to itself and switching the navigation buttons: 2064 and 2089, 2160
    // and 2183 are one operation each.
    ASSERT_NE(LibraryOrdinal(2064), nullptr);
    EXPECT_EQ(LibraryOrdinal(2089), LibraryOrdinal(2064));
    ASSERT_NE(LibraryOrdinal(2160), nullptr);
    EXPECT_EQ(LibraryOrdinal(2183), LibraryOrdinal(2160));

    HostWindow host(RGB(255, 255, 255), 320, 200);
    CRect expected;
    host.GetClientRect(&expected);
    EXPECT_EQ(GetClientRectOf(&host), expected);
    using ClientRectOf = CRect (*)(CWnd*);
    const auto byOrdinal =
        reinterpret_cast<ClientRectOf>(reinterpret_cast<void*>(LibraryOrdinal(1675)));
    ASSERT_NE(byOrdinal, nullptr);
    EXPECT_EQ(byOrdinal(&host), CRect(0, 0, 320, 200));
}

TEST(Page, FixedSizeCaptionAndPaintCallback) {
    HostWindow host(RGB(255, 255, 255), 640, 520);
    CDlgLeftSideChild page(kPageTemplate, &host);
    page.m_bBottomStrip = 1;
    ASSERT_TRUE(page.Create(kPageTemplate, &host));
    page.SetWindowText(L"Disk cleanup");
    page.ShowWindow(SW_SHOW);
    PumpFor(500);
    CRect window;
    page.GetWindowRect(&window);
    EXPECT_EQ(window.Width(), 591);
    EXPECT_EQ(window.Height(), 473);
    EXPECT_EQ(page.m_rcPageAction, CRect(365, 430, 562, 462));

    Canvas canvas(591, 473);
    CRect client(0, 0, 591, 473);
    page.DrawPageTitle(canvas.DC(), client, TRUE);
    EXPECT_GT(canvas.CountNear(0x323232, RECT{22, 14, 300, 34}), 0) << "caption";
    EXPECT_GT(canvas.CountNot(RGB(255, 255, 255), RECT{22, 42, 60, 80}), 0) << "title icon";
    EXPECT_EQ(canvas.Pixel(590, 472), RGB(0xEA, 0xF1, 0xF9)) << "bottom strip to the edge";

    // An empty caption still leaves the icon and the strip.
    page.SetWindowText(L"");
    Canvas untitled(591, 473);
    page.DrawPageTitle(untitled.DC(), client, TRUE);
    EXPECT_EQ(untitled.CountNot(RGB(255, 255, 255), RECT{60, 14, 560, 34}), 0);
    EXPECT_GT(untitled.CountNot(RGB(255, 255, 255), RECT{22, 42, 60, 80}), 0);
    page.SetWindowText(L"Disk cleanup");

    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(300);
    EXPECT_TRUE(SaveScreenPng(window, BesideProgram(L"page.png").c_str()));

    // With an enabled callback the page paints nothing itself.
    g_paintCalls = 0;
    page.SetPaintCallback(&CountingPainter, TRUE, 1);
    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(g_paintCalls, 1);
    page.SetPaintCallback(&CountingPainter, FALSE, 1);
    page.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(g_paintCalls, 1);
    page.DestroyWindow();
}

TEST(LeftPanel, IconModeButtonsSelectionAndCallbacks) {
    HostWindow host(RGB(255, 255, 255), 800, 520);
    auto* panel = new CDlgLeftDlgBase(kPanelTemplate, &host);
    panel->SetLayoutMode(2);
    panel->SetShowUpdateLink(true);
    panel->SetRaisedLayout(true);
    panel->SetActionCallback(&RecordAction);
    auto* home = new CDlgLeftSideChild(kPageTemplate, &host);
    auto* shared = new CDlgLeftSideChild(kPageTemplate, &host);
    ASSERT_TRUE(home->Create(kPageTemplate, &host));
    home->SetWindowText(L"Disk cleanup");
    ASSERT_TRUE(shared->Create(kPageTemplate, &host));
    home->MoveWindow(190, 0, 591, 473);
    shared->MoveWindow(190, 0, 591, 473);
    shared->SetWindowText(L"Settings");
    shared->ShowWindow(SW_HIDE);
    home->ShowWindow(SW_SHOW);
    panel->SetPage(0, home);
    panel->SetPage(1, shared);
    panel->SetPage(2, shared);
    ASSERT_TRUE(panel->Create(kPanelTemplate, &host));
    panel->MoveWindow(0, 0, 180, 480);
    panel->ShowWindow(SW_SHOW);

    CStringArray captions;
    for (LPCWSTR caption : {L"Home", L"Analyse", L"Defragment", L"Results", L"Schedule",
                            L"Settings", L"Help", L"Extra"})
        captions.Add(caption);
    panel->LayoutSideButtons(8, captions);
    EXPECT_EQ(panel->GetSideButtonCount(), 8);
    EXPECT_EQ(panel->GetDlgItem(1206), nullptr) << "seven buttons at most";
    for (int i = 0; i < 7; ++i) {
        ASSERT_NE(panel->SideButton(i).GetSafeHwnd(), nullptr) << i;
        EXPECT_EQ(panel->SideButton(i).m_nIconIndex, i < 6 ? i : 0) << i;
        EXPECT_EQ(panel->SideButton(i).IsWindowEnabled() != FALSE, i == 0) << i;
        EXPECT_EQ(RectInParent(&panel->SideButton(i)), CRect(1, 17 + 31 * i, 166, 48 + 31 * i));
    }
    EXPECT_TRUE(panel->SideButton(0).m_bSelected);
    CWnd* update = panel->GetDlgItem(1181);
    ASSERT_NE(update, nullptr);
    EXPECT_TRUE(update->IsWindowVisible());
    EXPECT_EQ(RectInParent(update).TopLeft(), CPoint(28, 436));
    CString text;
    update->GetWindowText(text);
    EXPECT_EQ(text, L"Get updates");

    panel->EnableNavButtons(TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE);
    panel->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(300);
    CRect shot;
    host.GetWindowRect(&shot);
    EXPECT_TRUE(SaveScreenPng(shot, BesideProgram(L"left_panel.png").c_str()));

    g_actions.clear();
    panel->SendMessageW(WM_COMMAND, 1200);
    EXPECT_TRUE(shared->IsWindowVisible());
    EXPECT_FALSE(home->IsWindowVisible());
    EXPECT_TRUE(panel->SideButton(1).m_bSelected);
    EXPECT_FALSE(panel->SideButton(0).m_bSelected);
    // The second button of the shared page keeps it shown.
    panel->SendMessageW(WM_COMMAND, 1201);
    EXPECT_TRUE(shared->IsWindowVisible());
    EXPECT_EQ(panel->SelectedButtonIndex(), 2);
    // The selected button again, with another page: nothing changes.
    panel->SelectPage(&panel->SideButton(2), home);
    EXPECT_TRUE(shared->IsWindowVisible());
    EXPECT_FALSE(home->IsWindowVisible());
    panel->SendMessageW(WM_COMMAND, 1197);
    EXPECT_EQ(g_actions, (std::vector<int>{4, 5, 0}));

    panel->DisableActionButtons();
    EXPECT_FALSE(update->IsWindowEnabled());
    panel->EnableActionButtons();
    EXPECT_TRUE(update->IsWindowEnabled());
    panel->DestroyWindow();
    delete panel; // deletes home and shared
}

TEST(LeftPanel, EachSharedPageIsDeletedOnce) {
    HostWindow host;
    int deathsA = 0, deathsB = 0;
    {
        CDlgLeftDlgBase panel(kPanelTemplate, &host);
        auto* a = new CountedPage(&deathsA);
        auto* b = new CountedPage(&deathsB);
        // Page 3 shares page 0's object, which a neighbours-only rule deletes twice.
        CWnd* pages[] = {a, a, a, a, b, b, nullptr, b};
        for (int i = 0; i < CDlgLeftDlgBase::kMaxSideButtons; ++i)
            panel.SetPage(i, pages[i]);
    }
    EXPECT_EQ(deathsA, 1);
    EXPECT_EQ(deathsB, 1);
}

TEST(LeftPanel, SlotsOutsideTheEightHoldNothing) {
    HostWindow host;
    int deaths = 0;
    {
        CDlgLeftDlgBase panel(kPanelTemplate, &host);
        auto* page = new CountedPage(&deaths);
        // A slot past either end is refused: the page stays the caller's.
        panel.SetPage(-1, page);
        panel.SetPage(CDlgLeftDlgBase::kMaxSideButtons, page);
        for (int i = 0; i < CDlgLeftDlgBase::kMaxSideButtons; ++i)
            EXPECT_EQ(panel.Page(i), nullptr) << i;
        EXPECT_EQ(panel.Page(-1), nullptr);
        EXPECT_EQ(panel.Page(CDlgLeftDlgBase::kMaxSideButtons), nullptr);
        EXPECT_EQ(panel.CurrentPage(), nullptr);
        EXPECT_EQ(panel.SelectedButtonIndex(), 0);
        delete page;
        EXPECT_EQ(deaths, 1);
        // The last slot takes a page, and the panel deletes it.
        panel.SetPage(CDlgLeftDlgBase::kMaxSideButtons - 1, new CountedPage(&deaths));
    }
    EXPECT_EQ(deaths, 2);
}

// A side button draws itself through a DRAWITEMSTRUCT onto the canvas, as the panel asks it.
void DrawSideButton(CLeftSideBtns& button, Canvas& canvas) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.hwndItem = button.m_hWnd;
    item.itemState = button.IsWindowEnabled() ? 0 : ODS_DISABLED;
    item.hDC = canvas.Handle();
    item.rcItem = RECT{0, 0, 165, 31};
    button.DrawItem(&item);
}

// A disabled page button shows no caption in the buttons' text colour and no full-colour
// icon: its caption is grey, so it does not pass for one that can be pressed.
TEST(LeftPanel, DisabledSideButtonsLookDisabled) {
    HostWindow host(RGB(255, 255, 255), 400, 520);
    CDlgLeftDlgBase panel(kPanelTemplate, &host);
    panel.SetLayoutMode(2);
    ASSERT_TRUE(panel.Create(kPanelTemplate, &host));
    CStringArray captions;
    for (LPCWSTR caption : {L"Select Drive", L"Analysis", L"Results"})
        captions.Add(caption);
    panel.LayoutSideButtons(3, captions);
    CLeftSideBtns& button = panel.SideButton(1);
    ASSERT_FALSE(button.IsWindowEnabled()) << "icon mode starts it disabled";
    const RECT caption{30, 4, 160, 26};
    const RECT icon{1, 1, 25, 25};
    const COLORREF text = button.m_clrText;

    Canvas disabled(165, 31);
    DrawSideButton(button, disabled);
    button.EnableWindow(TRUE);
    Canvas enabled(165, 31);
    DrawSideButton(button, enabled);

    EXPECT_GT(enabled.CountNear(text, caption), 20) << "an enabled caption in its colour";
    EXPECT_EQ(disabled.CountNear(text, caption), 0) << "no caption pixel in the enabled colour";
    EXPECT_GT(disabled.CountNear(RGB(146, 156, 166), caption), 20) << "a grey caption";
    // The icon keeps its place but is washed out: none of its pixels stays dark.
    auto dark = [](const Canvas& canvas, RECT area) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const COLORREF c = canvas.Pixel(x, y);
                count += std::max({GetRValue(c), GetGValue(c), GetBValue(c)}) < 150 ? 1 : 0;
            }
        return count;
    };
    EXPECT_GT(dark(enabled, icon), 20) << "the enabled icon";
    EXPECT_EQ(dark(disabled, icon), 0) << "the disabled icon washed out";
    EXPECT_GT(disabled.CountNot(enabled.Pixel(24, 28), icon), 20) << "but still there";
    panel.DestroyWindow();
}

TEST(LeftPanel, PlainLayoutHasEightEnabledButtonsWithoutIcons) {
    HostWindow host;
    CDlgLeftDlgBase panel(kPanelTemplate, &host);
    ASSERT_TRUE(panel.Create(kPanelTemplate, &host));
    CStringArray captions;
    panel.LayoutSideButtons(0, captions);
    EXPECT_EQ(panel.GetSideButtonCount(), 0);
    for (LPCWSTR caption : {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"})
        captions.Add(caption);
    panel.LayoutAllSideButtons(8, captions);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(panel.SideButton(i).m_nIconIndex, -1);
        EXPECT_TRUE(panel.SideButton(i).IsWindowEnabled());
    }
    EXPECT_FALSE(panel.GetDlgItem(1181)->IsWindowVisible()) << "update link hidden";
    panel.DestroyWindow();
}

class RestorePointDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::wstring folder = BesideProgram(L"");
        folder = folder.substr(0, folder.rfind(L'\\', folder.size() - 2)) + L"\\standins";
        ASSERT_TRUE(SetDllDirectoryW(folder.c_str()));
    }
    void SetUp() override { ClearRecord(); }
    void TearDown() override {
        ClearRecord();
        SetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", nullptr);
    }
    static void ClearRecord() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Halvenor\\Xarn\\SYSRES",
                           L"LastRestorePointTime");
    }
};

TEST_F(RestorePointDialog, EndsWithTheOutcome) {
    CDlgCreateRestorePoint withoutText;
    EXPECT_EQ(withoutText.DoModal(), static_cast<INT_PTR>(E_NOTIMPL));
    EXPECT_EQ(withoutText.GetSafeHwnd(), nullptr);

    CDlgCreateRestorePoint made;
    EXPECT_EQ(made.DoModalWithText(L"Before cleaning"), IDOK);

    ClearRecord();
    SetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", L"begin");
    CDlgCreateRestorePoint failed;
    EXPECT_EQ(failed.DoModalWithText(L"Before cleaning"), CDlgCreateRestorePoint::kFailed);
}

TEST_F(RestorePointDialog, WholeWaitTextIsShown) {
    g_waitLook = WaitDialogLook{};
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &LookAtWaitDialog);
    CDlgCreateRestorePoint dialog;
    EXPECT_EQ(dialog.DoModalWithText(L"Before cleaning"), IDOK);
    ::KillTimer(nullptr, timer);
    ASSERT_TRUE(g_waitLook.seen);
    EXPECT_TRUE(g_waitLook.textFits) << static_cast<LPCWSTR>(g_waitLook.text);
    EXPECT_NE(g_waitLook.text.Find(L"Stellmark"), -1);
}

TEST_F(RestorePointDialog, HeldEnterDoesNotKeepItOpen) {
    PressKey(VK_RETURN, true);
    CDlgCreateRestorePoint dialog;
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(dialog.DoModalWithText(L"Before cleaning"), IDOK);
    PressKey(VK_RETURN, false);
    EXPECT_LT(::GetTickCount64() - start, 30000u);
}
