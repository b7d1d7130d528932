// Message maps: which handler a message reaches, in which order, and reflection to controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Gdi.h"
#include "classlib/Menu.h"

namespace {
std::vector<std::string> g_calls;

class CBaseWindow : public CWnd {
public:
    bool sawCreate = false;
    HWND handleInCreate = nullptr;

protected:
    int OnCreate(LPCREATESTRUCTW cs) {
        sawCreate = true;
        handleInCreate = m_hWnd;
        return CWnd::OnCreate(cs);
    }
    LRESULT OnFirst(WPARAM, LPARAM) { return 1; }
    LRESULT OnSecond(WPARAM, LPARAM) { return 10; }
    void OnPress() { g_calls.push_back("parent"); }
    void OnListNotify(NMHDR*, LRESULT* result) {
        g_calls.push_back("parent-notify");
        *result = 5;
    }
    LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWindow, CWnd)
ON_WM_CREATE()
ON_MESSAGE(WM_APP, &CBaseWindow::OnFirst)
ON_MESSAGE(WM_APP + 1, &CBaseWindow::OnSecond)
ON_MESSAGE(WM_APP + 2, &CBaseWindow::OnThrow)
ON_BN_CLICKED(100, &CBaseWindow::OnPress)
ON_NOTIFY(NM_CLICK, 101, &CBaseWindow::OnListNotify)
END_MESSAGE_MAP()

// Overrides one entry of its base's map and leaves the other to the base.
class CDerivedWindow : public CBaseWindow {
protected:
    LRESULT OnFirstAgain(WPARAM, LPARAM) { return 2; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWindow, CBaseWindow)
ON_MESSAGE(WM_APP, &CDerivedWindow::OnFirstAgain)
END_MESSAGE_MAP()

// The parent also maps WM_CTLCOLOR.
class CColouringWindow : public CBaseWindow {
public:
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));

protected:
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return brush; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColouringWindow, CBaseWindow)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class CReflectingButton : public CButton {
public:
    BOOL takeClick = TRUE;
    int drawn = 0;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    void DrawItem(LPDRAWITEMSTRUCT) override { ++drawn; }

protected:
    BOOL OnReflectedClick() {
        g_calls.push_back("control");
        return takeClick;
    }
    void OnReflectedNotify(NMHDR*, LRESULT* result) {
        g_calls.push_back("control-notify");
        *result = 7;
    }
    HBRUSH CtlColor(CDC*, UINT) { return brush; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, &CReflectingButton::OnReflectedClick)
ON_NOTIFY_REFLECT(NM_CLICK, &CReflectingButton::OnReflectedNotify)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class COwnerDrawnMenu : public CMenu {
public:
    int drawn = 0;
    int measured = 0;
    void DrawItem(LPDRAWITEMSTRUCT) override { ++drawn; }
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
        ++measured;
        mis->itemHeight = 21;
    }
};

template <class Window> void CreateTopLevel(Window& window) {
    ASSERT_TRUE(window.CreateEx(0, nullptr, L"test", WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 200),
                                nullptr, 0));
}

void CreateButton(CReflectingButton& button, CWnd& parent, UINT id) {
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | BS_OWNERDRAW, CRect(0, 0, 50, 20), &parent, id));
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
};
} // namespace

TEST_F(Dispatch, WindowIsAttachedBeforeWmCreate) {
    CBaseWindow window;
    CreateTopLevel(window);
    EXPECT_TRUE(window.sawCreate);
    EXPECT_EQ(window.handleInCreate, window.m_hWnd);
    EXPECT_EQ(CWnd::FromHandlePermanent(window.m_hWnd), &window);
    window.DestroyWindow();
    EXPECT_EQ(window.m_hWnd, nullptr);
}

TEST_F(Dispatch, DerivedEntryWinsAndBaseEntriesStillApply) {
    CDerivedWindow window;
    CreateTopLevel(window);
    EXPECT_EQ(window.SendMessage(WM_APP), 2);
    EXPECT_EQ(window.SendMessage(WM_APP + 1), 10);
    EXPECT_EQ(window.SendMessage(WM_APP + 3), 0); // unmapped: the window's own procedure
}

TEST_F(Dispatch, CommandIsReflectedToTheControlFirst) {
    CBaseWindow parent;
    CreateTopLevel(parent);
    CReflectingButton button;
    CreateButton(button, parent, 100);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"control"}));

    g_calls.clear();
    button.takeClick = FALSE; // the _EX handler declines: the parent gets it too
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"control", "parent"}));
}

TEST_F(Dispatch, NotificationIsReflectedAndItsResultReturned) {
    CBaseWindow parent;
    CreateTopLevel(parent);
    CReflectingButton button;
    CreateButton(button, parent, 101);
    NMHDR hdr{button.m_hWnd, 101, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 101, reinterpret_cast<LPARAM>(&hdr)), 7);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"control-notify"}));

    // A control that is not attached: the parent's map handles it.
    g_calls.clear();
    NMHDR foreign{GetDesktopWindow(), 101, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 101, reinterpret_cast<LPARAM>(&foreign)), 5);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"parent-notify"}));
}

TEST_F(Dispatch, OwnerDrawReachesTheControlsDrawItem) {
    CBaseWindow parent;
    CreateTopLevel(parent);
    CReflectingButton button;
    CreateButton(button, parent, 102);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 102;
    dis.hwndItem = button.m_hWnd;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 102, reinterpret_cast<LPARAM>(&dis)), TRUE);
    EXPECT_EQ(button.drawn, 1);
}

TEST_F(Dispatch, MenuItemsAreDrawnAndMeasuredByTheirMenu) {
    CBaseWindow parent;
    CreateTopLevel(parent);
    COwnerDrawnMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    int itemData = 0;
    ASSERT_TRUE(menu.AppendMenu(MF_OWNERDRAW, 555, reinterpret_cast<LPCWSTR>(&itemData)));

    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = 555;
    dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    parent.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    EXPECT_EQ(menu.drawn, 1);

    // The popup announced itself with WM_INITMENUPOPUP before it is measured.
    parent.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu.m_hMenu), 0);
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = 555;
    mis.itemData = reinterpret_cast<ULONG_PTR>(&itemData);
    parent.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(menu.measured, 1);
    EXPECT_EQ(mis.itemHeight, 21u);
}

TEST_F(Dispatch, ControlColourIsReflectedUnlessTheParentMapsIt) {
    CBaseWindow parent;
    CreateTopLevel(parent);
    CReflectingButton button;
    CreateButton(button, parent, 103);
    HDC hdc = ::GetDC(parent.m_hWnd);
    LRESULT brush = parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc),
                                       reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), button.brush);

    CColouringWindow colouring;
    CreateTopLevel(colouring);
    CReflectingButton second;
    CreateButton(second, colouring, 104);
    brush = colouring.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc),
                                  reinterpret_cast<LPARAM>(second.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), colouring.brush);
    ::ReleaseDC(parent.m_hWnd, hdc);
}

TEST_F(Dispatch, ExceptionStopsAtTheWindowProcedure) {
    CBaseWindow window;
    CreateTopLevel(window);
    LONG before = AfxGetHandlerExceptionCount();
    EXPECT_EQ(window.SendMessage(WM_APP + 2), 0);
    EXPECT_EQ(AfxGetHandlerExceptionCount(), before + 1);
    EXPECT_EQ(window.SendMessage(WM_APP), 1); // the window still works
}

TEST_F(Dispatch, SubclassedControlKeepsItsOwnBehaviour) {
    CBaseWindow parent;
    CreateTopLevel(parent);
    HWND hEdit = ::CreateWindowExW(0, L"EDIT", L"typed", WS_CHILD, 0, 0, 80, 20, parent.m_hWnd,
                                   reinterpret_cast<HMENU>(105), nullptr, nullptr);
    CEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(105, &parent));
    EXPECT_EQ(edit.m_hWnd, hEdit);
    CString text;
    edit.GetWindowText(text);
    EXPECT_STREQ(text, L"typed");
    CEdit second;
    EXPECT_FALSE(second.SubclassWindow(hEdit)); // one object per window
    EXPECT_EQ(edit.UnsubclassWindow(), hEdit);
    EXPECT_EQ(CWnd::FromHandlePermanent(hEdit), nullptr);
}
