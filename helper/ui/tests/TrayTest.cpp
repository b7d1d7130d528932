// The tray icon against Wine's notification area: adding, the tip limit, re-adding when the
// taskbar is made again, balloons, the owner's menu and commands, the animation; and the icon
// and module handles.
#include <gtest/gtest.h>

#include "SkinIconHandle.h"
#include "SkinModuleHandle.h"
#include "SkinTrayIcon.h"
#include "SharedGlobals.h"
#include "UiTestHost.h"

#include <cstddef>
#include <cwchar>

namespace {

constexpr UINT kTrayMenu = 3001;
constexpr UINT kRestingIcon = 1304;
constexpr UINT kOtherIcon = 1308;

// Exposes the record and the state the tests look at.
class TestTray : public CSkinTrayIcon {
public:
    const NOTIFYICONDATAW& Record() const { return m_nid; }
    bool Removed() const { return m_bRemoved; }
    bool Hidden() const { return m_bHidden; }
};

// The owner: answers the forwarded notification as told, counts menus, keeps the last command.
class Owner : public uitest::HostWindow {
    DECLARE_MESSAGE_MAP()
public:
    LRESULT forwardAnswer = 0;
    int forwarded = 0;
    int menusShown = 0;
    UINT lastCommand = 0;

protected:
    LRESULT OnForward(WPARAM, LPARAM) {
        ++forwarded;
        return forwardAnswer;
    }
    void OnInitMenuPopup(CMenu*, UINT, BOOL) {
        ++menusShown;
        ::SetTimer(nullptr, 0, 50, &EndMenuSoon);
    }
    static void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        lastCommand = LOWORD(wParam);
        return TRUE;
    }
};

BEGIN_MESSAGE_MAP(Owner, uitest::HostWindow)
ON_MESSAGE(kTrayCallbackMessage, &Owner::OnForward)
ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(owner.Open(200, 100)); }
    void TearDown() override { tray.DeleteFromTray(); }
    // Whether the notification area holds an icon of this record.
    bool InTray() {
        NOTIFYICONDATAW probe = tray.Record();
        probe.uFlags = 0;
        return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
    }
    Owner owner;
    TestTray tray;
};

TEST(TrayRecord, HasTheVersionTwoSizeOfThisArchitecture) {
    TestTray tray;
    EXPECT_EQ(offsetof(NOTIFYICONDATAW, guidItem), tray.Record().cbSize);
#ifndef _WIN64
    EXPECT_EQ(936u, tray.Record().cbSize);
#endif
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), tray.Record().uFlags);
    EXPECT_EQ(0xDD1u, tray.Record().uCallbackMessage);
    EXPECT_TRUE(tray.Removed());
    EXPECT_TRUE(tray.Hidden());
}

TEST_F(TrayIcon, CreateAddsTheIconWithTheTipCutToTheLimit) {
    EXPECT_FALSE(tray.Create(L"tip", nullptr, kRestingIcon, kTrayMenu, 0, false));
    const CString longTip(L'x', 200);
    ASSERT_TRUE(tray.Create(longTip, &owner, kRestingIcon, kTrayMenu, 0, false));
    EXPECT_EQ(126, tray.GetTipText().GetLength());
    EXPECT_EQ(126u, wcslen(tray.Record().szTip));
    EXPECT_FALSE(tray.Removed());
    EXPECT_FALSE(tray.Hidden());
    EXPECT_NE(nullptr, tray.GetTrayIcon());
    EXPECT_EQ(tray.m_hWnd, tray.Record().hWnd);
    EXPECT_EQ(kTrayMenu, tray.Record().uID);
    EXPECT_TRUE(InTray());
    EXPECT_TRUE(tray.DeleteFromTray());
    EXPECT_TRUE(tray.Removed());
    EXPECT_FALSE(InTray());
}

TEST_F(TrayIcon, AddedAgainWhenTheTaskbarIsMadeAgain) {
    ASSERT_TRUE(tray.Create(L"Stellmark", &owner, kRestingIcon, kTrayMenu, 0, false));
    // The taskbar went away with its icons.
    NOTIFYICONDATAW gone = tray.Record();
    gone.uFlags = 0;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone));
    ASSERT_FALSE(InTray());
    tray.SendMessage(g_msgTaskbarCreated);
    EXPECT_TRUE(InTray());
    // A hidden icon stays out.
    ASSERT_TRUE(tray.HideIcon());
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &gone));
    tray.SendMessage(g_msgTaskbarCreated);
    EXPECT_FALSE(InTray());
}

TEST_F(TrayIcon, HiddenIconStaysRegisteredAndTakesChangesLater) {
    ASSERT_TRUE(tray.Create(L"Stellmark", &owner, kRestingIcon, kTrayMenu, 0, false));
    ASSERT_TRUE(tray.HideIcon());
    EXPECT_TRUE(tray.Hidden());
    EXPECT_FALSE(tray.Removed());
    EXPECT_TRUE(InTray());
    // While hidden the tip is only stored.
    EXPECT_TRUE(tray.SetTipText(L"Later"));
    EXPECT_EQ(L"Later", tray.GetTipText());
    ASSERT_TRUE(tray.ShowIcon());
    EXPECT_FALSE(tray.Hidden());
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_TRUE(tray.DeleteFromTray());
    EXPECT_TRUE(tray.HideIcon());
    ASSERT_TRUE(tray.ShowIcon());
    EXPECT_FALSE(tray.Removed());
    EXPECT_TRUE(InTray());
}

TEST_F(TrayIcon, BalloonGivesMillisecondsAndAnEmptyTitle) {
    ASSERT_TRUE(tray.Create(L"Stellmark", &owner, kRestingIcon, kTrayMenu, 0, false));
    EXPECT_FALSE(tray.ShowBalloonTip(nullptr, L"Title", NIIF_INFO, 10));
    EXPECT_TRUE(tray.ShowBalloonTip(L"The drive is defragmented.", nullptr, NIIF_INFO, 10));
    EXPECT_EQ(10000u, tray.Record().uTimeout);
    EXPECT_STREQ(L"", tray.Record().szInfoTitle);
    EXPECT_STREQ(L"", tray.Record().szInfo);
    EXPECT_EQ(static_cast<DWORD>(NIIF_INFO), tray.Record().dwInfoFlags);
    const CString longTitle(L't', 100);
    const CString longText(L'b', 300);
    EXPECT_TRUE(tray.ShowBalloonTip(longText, longTitle, NIIF_WARNING, 5));
    EXPECT_EQ(63u, wcslen(tray.Record().szInfoTitle));
    EXPECT_EQ(5000u, tray.Record().uTimeout);
}

TEST_F(TrayIcon, OwnerAnswerDecidesWhetherTheMenuShows) {
    ASSERT_TRUE(tray.Create(L"Stellmark", &owner, kRestingIcon, kTrayMenu, 0, false));
    owner.forwardAnswer = 1;
    EXPECT_EQ(1, tray.SendMessage(kTrayCallbackMessage, kTrayMenu, WM_RBUTTONUP));
    EXPECT_EQ(1, owner.forwarded);
    EXPECT_EQ(0, owner.menusShown);
    owner.forwardAnswer = 0;
    EXPECT_EQ(1, tray.SendMessage(kTrayCallbackMessage, kTrayMenu, WM_RBUTTONUP));
    EXPECT_EQ(1, owner.menusShown);
    // Another icon's notification is not this one's.
    EXPECT_EQ(0, tray.SendMessage(kTrayCallbackMessage, kTrayMenu + 1, WM_RBUTTONUP));
    EXPECT_EQ(2, owner.forwarded);
}

TEST_F(TrayIcon, DoubleClickSendsTheDefaultCommand) {
    ASSERT_TRUE(tray.Create(L"Stellmark", &owner, kRestingIcon, kTrayMenu, 0, false));
    EXPECT_TRUE(tray.SetMenuDefault(1, true));
    EXPECT_EQ(1, tray.SendMessage(kTrayCallbackMessage, kTrayMenu, WM_LBUTTONDBLCLK));
    EXPECT_EQ(402u, owner.lastCommand);
    EXPECT_TRUE(tray.SetMenuDefault(403, false));
    tray.SendMessage(kTrayCallbackMessage, kTrayMenu, WM_LBUTTONDBLCLK);
    EXPECT_EQ(403u, owner.lastCommand);
    UINT item = 0;
    bool byPosition = true;
    tray.GetMenuDefault(item, byPosition);
    EXPECT_EQ(403u, item);
    EXPECT_FALSE(byPosition);
}

TEST_F(TrayIcon, AnimationWalksTheFramesAndStops) {
    ASSERT_TRUE(tray.Create(L"Resting", &owner, kRestingIcon, kTrayMenu, 0, false));
    const UINT missing[] = {kRestingIcon, 9999};
    EXPECT_FALSE(tray.SetFrameIcons(missing, 2, nullptr));
    const UINT frames[] = {kOtherIcon, kRestingIcon};
    const CString tips[] = {L"Working", L""};
    ASSERT_TRUE(tray.SetFrameIcons(frames, 2, tips));
    const HICON resting = tray.GetTrayIcon();
    tray.SendMessage(WM_TIMER, 1001);
    EXPECT_NE(resting, tray.GetTrayIcon());
    EXPECT_STREQ(L"Working", tray.Record().szTip);
    EXPECT_TRUE(InTray());
    tray.SendMessage(WM_TIMER, 1001);
    EXPECT_STREQ(L"Resting", tray.Record().szTip);
    tray.SendMessage(WM_TIMER, 1001);
    EXPECT_STREQ(L"Working", tray.Record().szTip);
    tray.StopAnimation();
    EXPECT_STREQ(L"Resting", tray.Record().szTip);
    EXPECT_EQ(L"Resting", tray.GetTipText());
}

TEST_F(TrayIcon, WindowGoesIntoTheTrayAndComesBack) {
    ASSERT_TRUE(tray.Create(L"Stellmark", &owner, kRestingIcon, kTrayMenu, 0, false));
    uitest::HostWindow window;
    ASSERT_TRUE(window.Open(300, 200, L"Main window", true));
    tray.HideWindowToTray(&window);
    EXPECT_FALSE(window.IsWindowVisible());
    const HWND parent = ::GetAncestor(window.m_hWnd, GA_PARENT);
    EXPECT_NE(::GetDesktopWindow(), parent);
    EXPECT_FALSE(::IsWindowVisible(parent));
    tray.RestoreWindowFromTray(&window);
    EXPECT_TRUE(window.IsWindowVisible());
    EXPECT_EQ(::GetDesktopWindow(), ::GetAncestor(window.m_hWnd, GA_PARENT));
    RECT area{};
    EXPECT_TRUE(CSkinTrayIcon::GetTrayWindowRect(&area));
    EXPECT_FALSE(CSkinTrayIcon::GetTrayWindowRect(nullptr));
}

// A window of a registered class at a place in screen coordinates; destroyed with the object.
class ClassWindow {
public:
    ClassWindow(LPCWSTR className, HWND parent, RECT place) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        ::RegisterClassW(&windowClass); // may be registered already by an earlier window
        if (parent != nullptr)
            ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
        m_window = ::CreateWindowExW(0, className, L"", parent ? WS_CHILD | WS_VISIBLE : WS_POPUP,
                                     place.left, place.top, place.right - place.left,
                                     place.bottom - place.top, parent, nullptr,
                                     windowClass.hInstance, nullptr);
    }
    ~ClassWindow() {
        if (m_window != nullptr)
            ::DestroyWindow(m_window);
    }
    HWND Handle() const { return m_window; }

private:
    HWND m_window = nullptr;
};

// As on Windows, the clock lies inside the notification area, not beside it: the area ends
// where the clock begins (a horizontal taskbar) or above it (a vertical one).
TEST(TrayRectangle, TheClockInsideTheNotificationAreaIsCutOff) {
    ClassWindow taskbar(L"Shell_TrayWnd", nullptr, RECT{0, 700, 1024, 740});
    ASSERT_NE(taskbar.Handle(), nullptr);
    ASSERT_EQ(::FindWindowW(L"Shell_TrayWnd", nullptr), taskbar.Handle())
        << "the test's taskbar is the one found";
    ClassWindow start(L"XarnTestStartButton", taskbar.Handle(), RECT{0, 700, 60, 740});
    ClassWindow area(L"TrayNotifyWnd", taskbar.Handle(), RECT{860, 702, 1020, 738});
    ClassWindow clock(L"TrayClockWClass", area.Handle(), RECT{960, 702, 1020, 738});
    ASSERT_NE(clock.Handle(), nullptr);
    RECT found{};
    EXPECT_TRUE(CSkinTrayIcon::GetTrayWindowRect(&found));
    EXPECT_EQ(found.left, 860);
    EXPECT_EQ(found.top, 702);
    EXPECT_EQ(found.right, 960) << "the area ends where the clock begins";
    EXPECT_EQ(found.bottom, 738);
}

TEST(TrayRectangle, AClockAboveTheAreaBottomRaisesItsTop) {
    ClassWindow taskbar(L"Shell_TrayWnd", nullptr, RECT{964, 0, 1024, 768});
    ASSERT_EQ(::FindWindowW(L"Shell_TrayWnd", nullptr), taskbar.Handle());
    ClassWindow area(L"TrayNotifyWnd", taskbar.Handle(), RECT{966, 600, 1022, 766});
    ClassWindow clock(L"TrayClockWClass", area.Handle(), RECT{966, 600, 1022, 630});
    RECT found{};
    EXPECT_TRUE(CSkinTrayIcon::GetTrayWindowRect(&found));
    EXPECT_EQ(found.top, 630) << "the area begins below the clock";
    EXPECT_EQ(found.bottom, 766);
    EXPECT_EQ(found.left, 966);
    EXPECT_EQ(found.right, 1022);
}

TEST(IconHandle, CopiesNeverShareTheIconTheyDestroy) {
    HICON original = ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    ASSERT_NE(nullptr, original);
    CSkinIconHandle first(original);
    {
        CSkinIconHandle copy(first);
        EXPECT_NE(nullptr, copy.Get());
        EXPECT_NE(first.Get(), copy.Get());
        CSkinIconHandle assigned;
        assigned = first;
        EXPECT_NE(first.Get(), assigned.Get());
        assigned = assigned;
        EXPECT_NE(nullptr, assigned.Get());
    }
    // A live icon has a size; a destroyed one answers none.
    ASSERT_GT(CSkinIconHandle::QueryIconSize(first.Get()).cx, 0)
        << "the copies destroyed the original";
    first = original; // the same icon: kept, not destroyed
    ASSERT_GT(CSkinIconHandle::QueryIconSize(first.Get()).cx, 0);
}

TEST(IconHandle, SizesAndScaledCopies) {
    BYTE andBits[32 * 32 / 8];
    BYTE xorBits[32 * 32 / 8];
    memset(andBits, 0x00, sizeof(andBits));
    memset(xorBits, 0xFF, sizeof(xorBits));
    CSkinIconHandle mono(::CreateIcon(nullptr, 32, 32, 1, 1, andBits, xorBits));
    ASSERT_NE(nullptr, mono.Get());
    EXPECT_EQ(CSize(32, 32), mono.QuerySize());
    EXPECT_EQ(CSize(0, 0), CSkinIconHandle::QueryIconSize(nullptr));

    CSkinIconHandle wide(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
    const CSize size = wide.QuerySize();
    ASSERT_GT(size.cx, 0);
    CSkinIconHandle scaled(wide.ScaledCopy(16, 24));
    ASSERT_NE(nullptr, scaled.Get());
    EXPECT_EQ(CSize(16, 16), scaled.QuerySize());
    EXPECT_EQ(nullptr, wide.ScaledCopy(0, 0));
    EXPECT_EQ(nullptr, CSkinIconHandle::MakeScaledIcon(nullptr, 16, 16));
}

TEST(ModuleHandle, FoundOrLoadedAndVersioned) {
    CSkinModuleHandle shell(L"shell32.dll");
    EXPECT_EQ(static_cast<DWORD>(CSkinModuleHandle::kFound), shell.GetHow());
    EXPECT_GT(shell.QueryVersion(), 0x4FFFFu);
    EXPECT_TRUE(ShellHasVersion5());
    CSkinModuleHandle loaded(L"mapi32.dll");
    ASSERT_NE(nullptr, loaded.Get());
    EXPECT_EQ(static_cast<DWORD>(CSkinModuleHandle::kLoaded), loaded.GetHow());
    loaded.Free();
    EXPECT_EQ(nullptr, loaded.Get());
    EXPECT_EQ(static_cast<DWORD>(CSkinModuleHandle::kNone), loaded.GetHow());
    CSkinModuleHandle none(L"no-such-module.dll");
    EXPECT_EQ(nullptr, none.Get());
    EXPECT_EQ(0u, none.QueryVersion());
}

} // namespace
