// Owner-drawn menus: measuring, building from a resource, the shared images and the painting
// of separators, tabbed texts, checked, selected and disabled items; a real menu photographed.
#include <gtest/gtest.h>

#include "SkinMenu.h"
#include "SkinMenuMemDC.h"
#include "UiTestHost.h"

#include <algorithm>

// The menus' shared part as the library makes it when it loads.
SkinMenuShared CSkinMenu::s_shared;

namespace {

constexpr UINT kTestMenu = 2001;
constexpr int kHelpIcon = 1304;
constexpr int kSiteIcon = 1308;
constexpr COLORREF kSelect = RGB(177, 210, 238);

COLORREF Background() {
    return BlendTowardBlack(::GetSysColor(COLOR_WINDOW), 0.02);
}
COLORREF Gutter() {
    return CSkinMenu::IsThemedXP() ? ::GetSysColor(COLOR_WINDOW)
                                   : BlendTowardWhite(::GetSysColor(COLOR_WINDOW), 0.25);
}
COLORREF SelectFill() {
    return BlendTowardWhite(kSelect, CSkinMenu::IsThemedXP() ? 0.7 : 0.85);
}

// The record of the item at a position.
const CSkinMenuData* Record(const CSkinMenu& menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    ::GetMenuItemInfoW(menu.m_hMenu, static_cast<UINT>(position), TRUE, &info);
    return reinterpret_cast<const CSkinMenuData*>(info.dwItemData);
}

// Paints one item of menu onto a canvas as Windows would ask for it.
void Paint(CSkinMenu& menu, int position, UINT state, uitest::Canvas& canvas) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = ::GetMenuItemID(menu.m_hMenu, position);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
    dis.hDC = canvas.dc()->m_hDC;
    dis.rcItem = CRect(0, 0, canvas.width(), canvas.height());
    dis.itemData = reinterpret_cast<ULONG_PTR>(Record(menu, position));
    menu.DrawItem(&dis);
}

// Whether the item at a position is owner-drawn (GetMenuState puts a popup's item count where
// that flag would be).
bool IsOwnerDrawn(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return (info.fType & MFT_OWNERDRAW) != 0;
}

MEASUREITEMSTRUCT Measure(CSkinMenu& menu, int position) {
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = ::GetMenuItemID(menu.m_hMenu, position);
    mis.itemData = reinterpret_cast<ULONG_PTR>(Record(menu, position));
    menu.MeasureItem(&mis);
    return mis;
}

// Runs first: nothing has been appended yet.
TEST(SkinMenuBuild, FirstAppendMakesImagesSixteenPixels) {
    EXPECT_EQ(CSize(19, 19), CSkinMenu::Shared().imageSize);
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendODMenu(L"Item", MF_OWNERDRAW, 10));
    EXPECT_EQ(CSize(16, 16), CSkinMenu::Shared().imageSize);
}

TEST(SkinMenuBuild, IdZeroIsAlwaysASeparatorOfThreePixels) {
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendODMenu(L"Not text", MF_STRING | MF_CHECKED, 0));
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR | MF_OWNERDRAW), Record(menu, 0)->m_nFlags);
    EXPECT_TRUE(::GetMenuState(menu.m_hMenu, 0, MF_BYPOSITION) & MF_SEPARATOR);
    const MEASUREITEMSTRUCT mis = Measure(menu, 0);
    EXPECT_EQ(0u, mis.itemWidth);
    EXPECT_EQ(3u, mis.itemHeight);
}

TEST(SkinMenuBuild, ItemsMeasureImageTextAndPadding) {
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendODMenu(L"Online help", MF_OWNERDRAW, 11));
    const MEASUREITEMSTRUCT mis = Measure(menu, 0);
    HDC screen = ::GetDC(::GetDesktopWindow());
    LOGFONTW logFont{};
    CFont font;
    HGDIOBJ previous = nullptr;
    if (CSkinMenu::IsNewShell() && GetSystemMenuFont(logFont) && font.CreateFontIndirect(&logFont))
        previous = ::SelectObject(screen, font.m_hObject);
    SIZE text{};
    ::GetTextExtentPoint32W(screen, L"Online help", 11, &text);
    if (previous != nullptr)
        ::SelectObject(screen, previous);
    ::ReleaseDC(::GetDesktopWindow(), screen);
    EXPECT_EQ(static_cast<UINT>(16 + 7 + text.cx + 8), mis.itemWidth);
    EXPECT_EQ(static_cast<UINT>(std::max(::GetSystemMetrics(SM_CYMENU), 23)), mis.itemHeight);
}

TEST(SkinMenuBuild, SameCommandWithAnImageReplacesItsImages) {
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendODMenu(L"Help", MF_OWNERDRAW, 1009, kHelpIcon));
    const int first = Record(menu, 0)->m_nSharedImageIndex;
    ASSERT_GE(first, 0);
    const int count = CSkinMenu::Shared().images.GetImageCount();
    // The copy, the shadow and the faded image follow the image, all under the same id.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(1009u, CSkinMenu::Shared().imageIds[first + i]);
    ASSERT_TRUE(menu.AppendODMenu(L"Help again", MF_OWNERDRAW, 1009, kSiteIcon));
    EXPECT_EQ(first, Record(menu, 1)->m_nSharedImageIndex);
    EXPECT_EQ(count, CSkinMenu::Shared().images.GetImageCount());
    // Without an image the item finds the stored one.
    ASSERT_TRUE(menu.AppendODMenu(L"Help once more", MF_OWNERDRAW, 1009, -1));
    EXPECT_EQ(first, Record(menu, 2)->m_nSharedImageIndex);
    ASSERT_TRUE(menu.AppendODMenu(L"No image", MF_OWNERDRAW, 4242, -1));
    EXPECT_EQ(-1, Record(menu, 3)->m_nSharedImageIndex);
}

TEST(SkinMenuBuild, ResourceMenuPadsTabbedTextsToTheWidestPart) {
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(kTestMenu));
    ASSERT_EQ(2, ::GetMenuItemCount(menu.m_hMenu));
    // The bar itself is plain text, its popups owner-drawn.
    EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, 0));
    EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, 1));
    HMENU file = ::GetSubMenu(menu.m_hMenu, 0);
    ASSERT_NE(nullptr, file);
    auto* popup = static_cast<CSkinMenu*>(CMenu::FromHandlePermanent(file));
    ASSERT_NE(nullptr, popup);
    ASSERT_TRUE(popup->IsKindOf(RUNTIME_CLASS(CSkinMenu)));
    ASSERT_EQ(4, ::GetMenuItemCount(file));
    EXPECT_TRUE(IsOwnerDrawn(file, 0));
    EXPECT_TRUE(::GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);

    LOGFONTW logFont{};
    ASSERT_TRUE(GetSystemMenuFont(logFont));
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&logFont));
    uitest::Canvas canvas(10, 10);
    canvas.dc()->SelectObject(&font);
    auto width = [&](const CString& text) { return canvas.dc()->GetTextExtent(text).cx; };
    LONG widest = 0;
    for (LPCWSTR original : {L"&Open", L"Save &as...", L"E&xit"})
        widest = std::max(widest, width(CString(original) + L" "));
    for (int position : {0, 1}) {
        const CString text(Record(*popup, position)->GetText());
        const int tab = text.Find(L'\t');
        ASSERT_GT(tab, 0) << position;
        EXPECT_GE(width(text.Left(tab)), widest) << position;
        // No more blanks than needed.
        EXPECT_LT(width(text.Left(tab - 1)), widest) << position;
    }
    EXPECT_EQ(CString(L"E&xit"), Record(*popup, 3)->GetText());
    EXPECT_FALSE(menu.LoadMenu(9999));
}

TEST(SkinMenuBuild, PopupAppendedToALoadedMenuBarStaysPlainText) {
    CSkinMenu menu;
    ASSERT_TRUE(menu.LoadMenu(kTestMenu));
    CSkinMenu* help = menu.AppendODPopupMenu(L"&Help");
    ASSERT_NE(nullptr, help);
    ASSERT_TRUE(help->AppendODMenu(L"About", MF_OWNERDRAW, 501));
    ASSERT_EQ(3, ::GetMenuItemCount(menu.m_hMenu));
    EXPECT_TRUE(::GetMenuState(menu.m_hMenu, 2, MF_BYPOSITION) & MF_POPUP);
    EXPECT_FALSE(IsOwnerDrawn(menu.m_hMenu, 2));
    CString text;
    menu.GetMenuString(2, text, MF_BYPOSITION);
    EXPECT_EQ(CString(L"&Help"), text);
    EXPECT_EQ(help->m_hMenu, ::GetSubMenu(menu.m_hMenu, 2));
}

TEST(SkinMenuMemDC, ReachesTheTargetOnlyWhenDestroyed) {
    uitest::Canvas target(60, 40);
    {
        CSkinMenuMemDC memory(target.dc(), CRect(10, 5, 50, 35));
        memory.FillSolidRect(CRect(10, 5, 50, 35), RGB(10, 20, 30));
        memory.SetPixel(12, 7, RGB(200, 0, 0));
        EXPECT_EQ(RGB(255, 255, 255), target.At(20, 20));
    }
    EXPECT_EQ(RGB(10, 20, 30), target.At(20, 20));
    EXPECT_EQ(RGB(200, 0, 0), target.At(12, 7));
    EXPECT_EQ(RGB(255, 255, 255), target.At(9, 20));
    EXPECT_EQ(RGB(255, 255, 255), target.At(50, 20));
}

class SkinMenuPaint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendODMenu(L"Open\tCtrl+O", MF_OWNERDRAW, 301));
        ASSERT_TRUE(menu.AppendODMenu(nullptr, MF_OWNERDRAW, 0));
        ASSERT_TRUE(menu.AppendODMenu(L"Status bar", MF_OWNERDRAW | MF_CHECKED, 302));
        ASSERT_TRUE(menu.AppendODMenu(L"Help", MF_OWNERDRAW | MF_CHECKED, 303, kHelpIcon));
        ASSERT_TRUE(menu.AppendODMenu(L"Disabled", MF_OWNERDRAW | MF_GRAYED, 304));
    }
    CSkinMenu menu;
};

TEST_F(SkinMenuPaint, SeparatorIsAnEtchedLineBesideTheGutter) {
    uitest::Canvas canvas(200, 9);
    Paint(menu, 1, 0, canvas);
    const int gutterRight = 16 + 7;
    EXPECT_EQ(Gutter(), canvas.At(3, 1));
    EXPECT_EQ(Gutter(), canvas.At(gutterRight - 1, 8));
    EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), canvas.At(gutterRight + 7, 4));
    EXPECT_EQ(::GetSysColor(COLOR_BTNHIGHLIGHT), canvas.At(gutterRight + 7, 5));
    EXPECT_EQ(::GetSysColor(COLOR_BTNSHADOW), canvas.At(198, 4));
    EXPECT_EQ(Background(), canvas.At(gutterRight + 5, 4));
    EXPECT_EQ(Background(), canvas.At(100, 2));
}

TEST_F(SkinMenuPaint, TabbedTextLeftAndRightOfTheImageMargin) {
    uitest::Canvas canvas(220, 23);
    Paint(menu, 0, 0, canvas);
    const COLORREF back = Background();
    EXPECT_EQ(Gutter(), canvas.At(2, 2));
    EXPECT_GT(canvas.CountOther(CRect(31, 0, 80, 23), back), 10);
    // The right part ends one image width before the right edge.
    EXPECT_EQ(0, canvas.CountOther(CRect(204, 1, 219, 22), back));
    EXPECT_GT(canvas.CountOther(CRect(160, 0, 204, 23), back), 10);
    EXPECT_EQ(0, canvas.CountOther(CRect(90, 1, 140, 22), back));
}

TEST_F(SkinMenuPaint, SelectedItemIsFramedPaleBlue) {
    uitest::Canvas canvas(220, 23);
    Paint(menu, 0, ODS_SELECTED, canvas);
    EXPECT_EQ(kSelect, canvas.At(0, 0));
    EXPECT_EQ(kSelect, canvas.At(219, 22));
    EXPECT_EQ(SelectFill(), canvas.At(2, 2));
    EXPECT_EQ(SelectFill(), canvas.At(120, 3));
}

TEST_F(SkinMenuPaint, CheckedItemWithoutImageShowsACheckBox) {
    uitest::Canvas canvas(200, 23);
    Paint(menu, 2, ODS_CHECKED, canvas);
    // Box (1, 1, 21, 22): framed select colour, filled pale; the mark from (8, 8).
    EXPECT_EQ(kSelect, canvas.At(1, 1));
    EXPECT_EQ(BlendTowardWhite(kSelect, 0.85), canvas.At(3, 3));
    const COLORREF mark = ::GetSysColor(COLOR_MENUTEXT);
    const int steps[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(mark, canvas.At(8 + k, 8 + steps[k])) << k;
        EXPECT_EQ(mark, canvas.At(8 + k, 8 + steps[k] + 1)) << k;
        EXPECT_NE(mark, canvas.At(8 + k, 8 + steps[k] + 2)) << k;
    }
    uitest::Canvas unchecked(200, 23);
    Paint(menu, 2, 0, unchecked);
    EXPECT_EQ(Gutter(), unchecked.At(3, 3));
}

TEST_F(SkinMenuPaint, CheckedItemWithImageSitsUpLeftInAPaleBox) {
    uitest::Canvas canvas(200, 23);
    Paint(menu, 3, ODS_CHECKED, canvas);
    EXPECT_EQ(kSelect, canvas.At(1, 1));
    EXPECT_EQ(kSelect, canvas.At(20, 21));
    // The icon (16 x 16, placed at (4, 4)) is drawn one pixel up and left: its first row
    // is at y 3 and its right column ends at x 18.
    EXPECT_NE(BlendTowardWhite(kSelect, 0.85), canvas.At(10, 3));
    EXPECT_EQ(BlendTowardWhite(kSelect, 0.85), canvas.At(10, 2));
    EXPECT_EQ(BlendTowardWhite(kSelect, 0.85), canvas.At(19, 10));
}

TEST_F(SkinMenuPaint, DisabledItemIsNeverSelectedAndGrey) {
    uitest::Canvas canvas(200, 23);
    Paint(menu, 4, ODS_GRAYED | ODS_SELECTED, canvas);
    EXPECT_EQ(Background(), canvas.At(30, 0));
    EXPECT_EQ(Background(), canvas.At(199, 22));
    EXPECT_EQ(Background(), canvas.At(150, 5));
    EXPECT_EQ(Gutter(), canvas.At(3, 3));
    const COLORREF grey = CSkinMenu::IsThemedXP()
                              ? ::GetSysColor(COLOR_GRAYTEXT)
                              : BlendTowardWhite(::GetSysColor(COLOR_GRAYTEXT), 0.4);
    EXPECT_GT(canvas.Count(CRect(31, 0, 120, 23), grey), 5);
    EXPECT_EQ(0, canvas.Count(CRect(31, 0, 120, 23), ::GetSysColor(COLOR_MENUTEXT)));
}

// ---- a real menu on the screen ----

class MenuOwner : public uitest::HostWindow {};

struct ShotPlan {
    const wchar_t* name;
    int downs; // arrow-down presses before the picture
    bool taken = false;
    bool selectionSeen = false;
};
ShotPlan* g_plan = nullptr;

void CALLBACK TakeMenuShot(HWND, UINT, UINT_PTR id, DWORD) {
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (popup == nullptr || g_plan == nullptr)
        return;
    static int step = 0;
    if (step < g_plan->downs) {
        ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        ++step;
        return;
    }
    step = 0;
    ::KillTimer(nullptr, id);
    RECT r{};
    ::GetWindowRect(popup, &r);
    uitest::Canvas canvas(r.right - r.left, r.bottom - r.top);
    HDC screen = ::GetDC(nullptr);
    ::BitBlt(canvas.dc()->m_hDC, 0, 0, canvas.width(), canvas.height(), screen, r.left, r.top,
             SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    // A selected item's frame runs round the whole item; a check box's frame is far shorter.
    g_plan->selectionSeen =
        canvas.Count(CRect(0, 0, canvas.width(), canvas.height()), kSelect) > 2 * canvas.width();
    canvas.Release();
    g_plan->taken = uitest::SavePng(canvas.bitmap(), g_plan->name);
    ::EndMenu();
}

TEST(SkinMenuOnScreen, PopupInItsStates) {
    uitest::GdiPlus gdiplus;
    MenuOwner owner;
    ASSERT_TRUE(owner.Open(400, 300, L"Menu owner", true));
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.AppendODMenu(L"Online help\tF1", MF_OWNERDRAW, 1009, kHelpIcon));
    ASSERT_TRUE(menu.AppendODMenu(L"Visit the web site", MF_OWNERDRAW, 1011, kSiteIcon));
    ASSERT_TRUE(menu.AppendODMenu(nullptr, MF_OWNERDRAW, 0));
    ASSERT_TRUE(menu.AppendODMenu(L"Show status bar", MF_OWNERDRAW | MF_CHECKED, 1020));
    ASSERT_TRUE(menu.AppendODMenu(L"Check for updates", MF_OWNERDRAW | MF_GRAYED, 1021));
    CSkinMenu* more = menu.AppendODPopupMenu(L"More");
    ASSERT_NE(nullptr, more);
    ASSERT_TRUE(more->AppendODMenu(L"About Stellmark", MF_OWNERDRAW, 1030));

    // The first arrow selects the first item, each further one moves on past the separator.
    for (ShotPlan plan :
         {ShotPlan{L"menu_first_selected", 1}, ShotPlan{L"menu_checked_selected", 3},
          ShotPlan{L"menu_disabled_selected", 4}}) {
        g_plan = &plan;
        ::SetTimer(nullptr, 0, 300, &TakeMenuShot);
        owner.SetForegroundWindow();
        menu.TrackPopupMenu(TPM_LEFTALIGN, 60, 60, &owner);
        g_plan = nullptr;
        EXPECT_TRUE(plan.taken) << plan.name;
        // A disabled item is not drawn as selected.
        EXPECT_EQ(plan.downs != 4, plan.selectionSeen) << plan.name;
    }
    menu.DestroyMenu();
    EXPECT_EQ(0, CSkinMenu::Shared().allSubMenus.GetSize());
}

} // namespace
