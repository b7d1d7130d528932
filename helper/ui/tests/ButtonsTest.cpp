// The skinned buttons, drawn on memory canvases and on the screen: each family in each state
// shows the frame of its strip that the state selects, with the caption in the state's colour.
#include "UiTestSupport.h"

#include "BaseGUIButton.h"
#include "HoverButton.h"
#include "HoverButtonTextPng.h"
#include "HoverButtonWithText.h"
#include "HyperLinkBtn.h"
#include "LauncherBigButtons.h"
#include "LauncherLeftSideBtns.h"
#include "LauncherProgBtns.h"
#include "LeftSideBtns.h"
#include "MyHoverButton.h"
#include "ParentBackground.h"
#include "TabButton.h"
#include "TextButtonStyle.h"
#include "ProductIdentity.h"

#include <gtest/gtest.h>

namespace {
// Known colours of the skin (see make_skin.py).
constexpr COLORREF kBlue = RGB(0x2D, 0x6D, 0xB5);
constexpr COLORREF kNavy = RGB(0x1F, 0x4E, 0x85);
constexpr COLORREF kSky = RGB(0x4A, 0x8A, 0xD4);
constexpr COLORREF kGrey = RGB(0xB4, 0xB4, 0xB4);
constexpr COLORREF kCloseRed = RGB(0xD9, 0x45, 0x3B);
constexpr COLORREF kLeftHover = RGB(0xDC, 0xE9, 0xF7);
constexpr COLORREF kSlate = RGB(0x5A, 0x6B, 0x7F);
constexpr COLORREF kTab = RGB(0xE6, 0xED, 0xF5);
constexpr COLORREF kTabHover = RGB(0xF4, 0xF8, 0xFD);
constexpr COLORREF kTabDisabled = RGB(0xE9, 0xEB, 0xEE);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr UINT kBlueStrip = 1074;
constexpr UINT kTabStrip = 1070;
constexpr UINT kCloseStrip = 1038;

constexpr UINT kNoState = 0;

template <typename Button>
void CreateOn(CWnd& host, Button& button, int id, RECT rect, LPCWSTR caption = L"") {
    ASSERT_TRUE(button.Create(caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, rect, &host, id));
}

DRAWITEMSTRUCT ItemFor(CWnd& button, HDC dc, UINT state) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = button.m_hWnd;
    dis.hDC = dc;
    button.GetClientRect(&dis.rcItem);
    return dis;
}

// Whether the canvas shows exactly frame `frame` of the strip at (0, 0).
::testing::AssertionResult ShowsFrame(const Canvas& canvas, const CBitmap& strip, int frame,
                                      int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF expected =
                BitmapPixel(static_cast<HBITMAP>(strip.m_hObject), frame * width + x, y);
            if (canvas.Pixel(x, y) != expected)
                return ::testing::AssertionFailure()
                       << "frame " << frame << " differs at (" << x << ", " << y << ")";
        }
    return ::testing::AssertionSuccess();
}

class ButtonTest : public ::testing::Test {
protected:
    HostWindow host;
};

// A button of the hover family drawn in `state` onto a fresh canvas.
template <typename Button> void Draw(Button& button, Canvas& canvas, UINT state) {
    canvas.Fill(RGB(1, 2, 3));
    DRAWITEMSTRUCT dis = ItemFor(button, canvas.Handle(), state);
    button.DrawItem(&dis);
}
} // namespace

TEST_F(ButtonTest, HoverButtonEachStateShowsItsFrame) {
    CHoverButton button;
    CreateOn(host, button, 100, {10, 10, 50, 30});
    EXPECT_EQ(button.GetButtonStyle() & 0x0F, static_cast<UINT>(BS_OWNERDRAW));
    button.m_bHasDisabledState = true;
    button.m_bSelected = true;
    ASSERT_TRUE(button.LoadBitmap(kBlueStrip));
    EXPECT_FALSE(button.m_bSelected) << "loading a strip clears selected";
    CRect window;
    button.GetWindowRect(&window);
    EXPECT_EQ(window.Width(), 120);
    EXPECT_EQ(window.Height(), 28);

    Canvas canvas(120, 28);
    const CBitmap& strip = button.m_bmpStrip;
    Draw(button, canvas, kNoState);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 0, 120, 28));
    EXPECT_EQ(canvas.Pixel(60, 14), kBlue);
    button.m_bHovering = true;
    Draw(button, canvas, kNoState);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 2, 120, 28));
    EXPECT_EQ(canvas.Pixel(60, 14), kSky);
    Draw(button, canvas, ODS_SELECTED);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 1, 120, 28)) << "pressed wins over hover";
    EXPECT_EQ(canvas.Pixel(60, 14), kNavy);
    button.m_bPushed = true;
    Draw(button, canvas, kNoState);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 1, 120, 28)) << "pushed shows pressed while hovered";
    button.m_bPushed = false;
    button.m_bHovering = false;
    button.m_bSelected = true;
    Draw(button, canvas, kNoState);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 2, 120, 28)) << "selected looks like hover";
    button.m_bSelected = false;
    Draw(button, canvas, ODS_DISABLED);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 3, 120, 28));
    EXPECT_EQ(canvas.Pixel(60, 14), kGrey);
    button.EnableWindow(FALSE);
    Draw(button, canvas, kNoState);
    EXPECT_TRUE(ShowsFrame(canvas, strip, 3, 120, 28)) << "a disabled window is disabled";
}

TEST_F(ButtonTest, HoverButtonWithoutDisabledFrameCutsThreeAndIgnoresDisabled) {
    CHoverButton button;
    CreateOn(host, button, 100, {10, 10, 50, 30});
    ASSERT_TRUE(button.LoadBitmap(kBlueStrip));
    EXPECT_EQ(button.m_nFrameWidth, 160);
    Canvas canvas(160, 28);
    Draw(button, canvas, ODS_DISABLED);
    EXPECT_TRUE(ShowsFrame(canvas, button.m_bmpStrip, 0, 160, 28));
    button.m_bHovering = true;
    Draw(button, canvas, ODS_DISABLED);
    EXPECT_TRUE(ShowsFrame(canvas, button.m_bmpStrip, 2, 160, 28));
}

TEST_F(ButtonTest, CaptionButtonsShowTheirStates) {
    for (UINT id : {1038u, 1042u, 1062u, 1063u, 1061u, 1057u, 1064u}) {
        CHoverButton button;
        CreateOn(host, button, 100, {10, 10, 50, 30});
        ASSERT_TRUE(button.LoadBitmap(id));
        const int w = button.m_nFrameWidth;
        ASSERT_GT(w, 0) << id;
        Canvas canvas(w, button.m_nFrameHeight);
        Draw(button, canvas, kNoState);
        EXPECT_EQ(canvas.Pixel(w / 2, 2), kBlue) << id;
        Draw(button, canvas, ODS_SELECTED);
        EXPECT_EQ(canvas.Pixel(w / 2, 2), kNavy) << id;
        button.m_bHovering = true;
        Draw(button, canvas, kNoState);
        const bool close = id == kCloseStrip || id == 1064;
        EXPECT_EQ(canvas.Pixel(w / 2, 2), close ? kCloseRed : kSky) << id;
        EXPECT_GT(canvas.CountNear(kWhite, {0, 0, w, button.m_nFrameHeight}), 4)
            << "the sign, " << id;
    }
}

TEST_F(ButtonTest, MissingStripLeavesNoSizeAndDrawsNothing) {
    CHoverButton button;
    CreateOn(host, button, 100, {10, 10, 50, 30});
    EXPECT_TRUE(button.LoadBitmap(999));
    EXPECT_EQ(button.m_nFrameWidth, 0);
    EXPECT_EQ(button.m_nFrameHeight, 0);
    Canvas canvas(40, 20);
    Draw(button, canvas, kNoState);
    EXPECT_EQ(canvas.CountNot(RGB(1, 2, 3)), 0);
}

TEST_F(ButtonTest, ThreePartSkinTilesAndAZeroWidthMiddleEnds) {
    CHoverButton button;
    CreateOn(host, button, 100, {10, 10, 50, 30});
    // Title caps are 10 wide (3 per frame); the one-pixel middle cuts into frames of width 0.
    EXPECT_TRUE(button.LoadBitmaps(1023, 1024, 1025, 100, 50));
    EXPECT_EQ(button.m_nMiddleWidth, 0);
    button.m_bSingleStrip = false;
    Canvas canvas(100, 50);
    Draw(button, canvas, kNoState); // returns: nothing tiles by a zero step
    EXPECT_FALSE(button.LoadBitmaps(1023, 999, 1025, 100, 50));

    // Three strips of three frames: the middle repeats across the width.
    ASSERT_TRUE(button.LoadBitmaps(kBlueStrip, kBlueStrip, kBlueStrip, 400, 28));
    EXPECT_EQ(button.m_nMiddleWidth, 160);
    button.m_bSingleStrip = false;
    Canvas wide(400, 28);
    Draw(button, wide, kNoState);
    EXPECT_EQ(wide.Pixel(200, 14), kBlue);
    Draw(button, wide, ODS_SELECTED);
    EXPECT_EQ(wide.Pixel(200, 14), kNavy) << "part frame 1 starts a third into the part";
}

TEST_F(ButtonTest, MouseTrackingUsesTheSystemsRecordAndTheHandCursor) {
    CHoverButton button;
    CreateOn(host, button, 100, {10, 10, 130, 38});
    ASSERT_NE(button.m_hHandCursor, nullptr) << "cursor 1228 of the resource library";
    button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(::GetCursor(), button.m_hHandCursor) << "no hand before the mouse moved";

    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.m_bTracking) << "TrackMouseEvent refused the record";
    EXPECT_EQ(button.m_hActiveCursor, button.m_hHandCursor);
    EXPECT_EQ(button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(::GetCursor(), button.m_hHandCursor);
    button.ShowHandCursor(false);
    EXPECT_EQ(button.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(button.m_hWnd),
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              FALSE);
    button.ShowHandCursor(true);

    button.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.m_bHovering);
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(button.m_bHovering);
    EXPECT_FALSE(button.m_bTracking);
    EXPECT_EQ(button.m_hActiveCursor, nullptr);
}

TEST_F(ButtonTest, ParentBackgroundIsPaintedBehindAndTheClipRemoved) {
    host.m_background = RGB(0, 200, 0);
    CHoverButton button;
    CreateOn(host, button, 100, {40, 30, 80, 60});
    Canvas canvas(40, 30, RGB(1, 2, 3));
    button.PaintParentBackground(&button, canvas.DC(), nullptr);
    EXPECT_EQ(canvas.CountNot(RGB(0, 200, 0)), 0);
    const GdiObject<HRGN> clip(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetClipRgn(canvas.Handle(), clip.Get()), 0) << "no clip region left behind";

    canvas.Fill(RGB(1, 2, 3));
    const RECT corner{0, 0, 5, 5};
    PaintParentBackground(&button, canvas.DC(), &corner);
    EXPECT_EQ(canvas.Count(RGB(0, 200, 0), {0, 0, 40, 30}), 25);
    EXPECT_EQ(::GetClipRgn(canvas.Handle(), clip.Get()), 0);
}

TEST_F(ButtonTest, TabButtonFramesAndCaption) {
    CTabButton tab;
    CreateOn(host, tab, 100, {10, 10, 50, 30}, L"Cleaner");
    tab.m_logFont.lfQuality = NONANTIALIASED_QUALITY;
    ASSERT_TRUE(tab.LoadBitmap(kTabStrip));
    EXPECT_EQ(tab.m_nFrameWidth, 110);
    Canvas canvas(110, 30);
    Draw(tab, canvas, ODS_SELECTED);
    EXPECT_EQ(canvas.Pixel(3, 25), kTab) << "the mouse-down state is not looked at";
    EXPECT_GT(canvas.Count(RGB(9, 18, 27), {0, 0, 110, 30}), 10) << "caption in normal colour";
    tab.m_bHovering = true;
    Draw(tab, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(3, 25), kTabHover);
    EXPECT_GT(canvas.Count(RGB(45, 72, 108), {0, 0, 110, 30}), 10) << "hover colour";
    tab.m_bPushed = true;
    Draw(tab, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(3, 25), kBlue);
    EXPECT_GT(canvas.Count(kWhite, {0, 0, 110, 30}), 10) << "white caption when pushed";
    tab.EnableDisabledColor(true);
    Draw(tab, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(3, 25), kTabDisabled) << "the disabled frame whatever the state";

    tab.SetWindowText(L"Infos disque");
    tab.EnableDisabledColor(false);
    tab.m_bPushed = false;
    Draw(tab, canvas, kNoState);
    EXPECT_EQ(tab.m_nCaptionX, 0);
    tab.SetWindowText(L"Other");
    Draw(tab, canvas, kNoState);
    EXPECT_EQ(tab.m_nCaptionX, 0) << "kept on later paints";
}

TEST_F(ButtonTest, TextButtonCaptionColoursFollowTheState) {
    CHoverButtonWithText button;
    CreateOn(host, button, 100, {10, 10, 50, 30}, L"Start");
    button.m_logFont.lfQuality = NONANTIALIASED_QUALITY;
    button.m_logFont.lfWeight = FW_BOLD;
    const COLORREF normal = RGB(10, 20, 30), hover = RGB(200, 30, 40), pressed = RGB(20, 180, 40),
                   disabled = RGB(150, 10, 150);
    button.m_clrText = normal;
    button.m_clrHover = hover;
    button.m_clrPressed = pressed;
    button.m_clrDisabled = disabled;
    button.EnableDisabledColor(true);
    ASSERT_TRUE(button.LoadBitmap(kBlueStrip));
    Canvas canvas(120, 28);
    const RECT all{0, 0, 120, 28};
    Draw(button, canvas, kNoState);
    EXPECT_GT(canvas.Count(normal, all), 10);
    Draw(button, canvas, ODS_DISABLED);
    EXPECT_GT(canvas.Count(disabled, all), 10);
    EXPECT_EQ(canvas.Pixel(3, 14), kGrey);
    button.m_bHovering = true;
    Draw(button, canvas, ODS_DISABLED);
    EXPECT_GT(canvas.Count(hover, all), 10) << "hovered while disabled shows the hover colour";
    Draw(button, canvas, ODS_SELECTED);
    EXPECT_GT(canvas.Count(pressed, all), 10) << "pressed while hovered shows the pressed colour";
    EXPECT_EQ(canvas.Count(hover, all), 0);

    button.m_bHovering = false;
    button.EnableDisabledColor(false);
    ASSERT_TRUE(button.LoadBitmap(kBlueStrip));
    Canvas three(160, 28);
    Draw(button, three, ODS_DISABLED);
    EXPECT_GT(three.Count(normal, {0, 0, 160, 28}), 10) << "no disabled frame: normal colour";
    EXPECT_EQ(three.Count(disabled, {0, 0, 160, 28}), 0);
}

TEST_F(ButtonTest, TextButtonStylesGiveReadableCaptions) {
    CHoverButtonWithText light, dark;
    CreateOn(host, light, 100, {10, 10, 50, 30}, L"Scan");
    CreateOn(host, dark, 101, {10, 50, 50, 70}, L"Cancel");
    light.EnableDisabledColor(true);
    EXPECT_EQ(StyleTextButton(&light, true, true, true), &light);
    EXPECT_EQ(light.m_clrText, RGB(252, 252, 255));
    EXPECT_EQ(light.m_clrDisabled, RGB(158, 164, 167));
    EXPECT_TRUE(light.m_bUseDisabledColor);
    EXPECT_FALSE(light.m_bWeight500);
    EXPECT_EQ(light.m_logFont.lfWeight, FW_BOLD);
    EXPECT_EQ(light.m_nFrameWidth, 120) << "strip 1074";
    Canvas canvas(120, 28);
    Draw(light, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(4, 14), kBlue) << "light text on the blue strip";

    StyleTextButton(&dark, false, false, false);
    EXPECT_EQ(dark.m_clrText, RGB(9, 18, 54));
    EXPECT_EQ(dark.m_clrHover, RGB(18, 9, 63));
    EXPECT_EQ(dark.m_clrThird, RGB(18, 18, 72));
    EXPECT_TRUE(dark.m_bBoldAlways);
    EXPECT_TRUE(dark.m_bWeight500);
    EXPECT_FALSE(dark.m_bUseDisabledColor);
    EXPECT_EQ(dark.m_clrDisabled, ~RGB(9, 18, 27)) << "left alone without the disabled colour";
    // The skin's text-button strips hold four frames; cut in three, hovering would show half the
    // pressed and half the disabled frame.
    EXPECT_TRUE(dark.m_bHasDisabledState);
    EXPECT_EQ(dark.m_nFrameWidth, 120) << "strip 1059 in its four frames";
}

TEST_F(ButtonTest, PngButtonDrawsItsImageOverEveryState) {
    CHoverButtonTextPng button;
    CreateOn(host, button, 100, {10, 10, 50, 30});
    button.m_bHasDisabledState = true;
    ASSERT_TRUE(button.LoadBitmap(1100));
    ASSERT_TRUE(button.LoadPng(1386));
    EXPECT_EQ(button.m_nPngId, 1386u);
    Canvas canvas(222, 52);
    Draw(button, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(150, 26), kBlue);
    EXPECT_GT(canvas.Count(kWhite, {10, 5, 60, 47}), 40) << "the glyph";
    button.m_bHovering = true;
    Draw(button, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(150, 26), kSky);
    EXPECT_GT(canvas.Count(kWhite, {10, 5, 60, 47}), 40);
    EXPECT_FALSE(button.LoadPng(999));
}

TEST_F(ButtonTest, IconButtonFramesAndCaption) {
    CMyHoverButton button;
    CreateOn(host, button, 100, {10, 10, 50, 30});
    ASSERT_TRUE(button.LoadBitmapAndText(kBlueStrip, L"Go"));
    EXPECT_EQ(button.m_nFrameWidth, 120);
    Canvas canvas(120, 28);
    Draw(button, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(4, 14), kBlue);
    Draw(button, canvas, ODS_FOCUS);
    EXPECT_EQ(canvas.Pixel(4, 14), kSky);
    button.m_bPushed = true;
    Draw(button, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(4, 14), kNavy);
    button.EnableWindow(FALSE);
    Draw(button, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(4, 14), kGrey);
    EXPECT_GT(canvas.Count(RGB(245, 245, 245), {0, 0, 120, 28}), 5) << "caption";
}

TEST_F(ButtonTest, LinkButtonStatesColoursAndFonts) {
    CHyperLinkBtn link;
    CreateOn(host, link, 100, {10, 10, 130, 30}, L"Open the report");
    LOGFONTW font{};
    GetObjectW(g_fontLinkNormal, sizeof(font), &font);
    EXPECT_EQ(font.lfWeight, FW_NORMAL) << "the shared link fonts exist";
    EXPECT_TRUE(link.m_bUseSharedFonts);

    LOGFONTW own{};
    own.lfHeight = -13;
    own.lfQuality = NONANTIALIASED_QUALITY;
    lstrcpyW(own.lfFaceName, L"Tahoma");
    link.SetLogFont(&own);
    EXPECT_FALSE(link.m_bUseSharedFonts);
    link.SetBkColor(RGB(250, 240, 230)).SetTextColor(RGB(10, 20, 30));
    Canvas canvas(120, 20);
    Draw(link, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(119, 0), RGB(250, 240, 230)) << "the background colour";
    EXPECT_GT(link.m_nTextWidth, 20) << "measured on the first paint";
    EXPECT_FALSE(link.m_bMeasurePending);
    RECT plain{};
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x)
            if (canvas.Pixel(x, y) == RGB(10, 20, 30) && plain.right == 0)
                plain = {x, y, 1, 1};

    Draw(link, canvas, ODS_SELECTED);
    EXPECT_TRUE(link.m_logFont.lfUnderline) << "underlined whatever the flag says";
    EXPECT_EQ(link.m_logFont.lfWeight, FW_NORMAL);
    RECT pressed{};
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 120; ++x)
            if (canvas.Pixel(x, y) == link.m_clrPressed && pressed.right == 0)
                pressed = {x, y, 1, 1};
    EXPECT_EQ(pressed.left, plain.left + 1) << "one pixel right";
    EXPECT_EQ(pressed.top, plain.top + 1) << "one pixel down";

    Draw(link, canvas, ODS_DISABLED);
    EXPECT_GT(canvas.Count(link.m_clrDisabled, {0, 0, 120, 20}), 10);
    link.SetBold();
    Draw(link, canvas, kNoState);
    EXPECT_EQ(link.m_logFont.lfWeight, FW_BOLD);
    link.UseStockFonts();
    EXPECT_TRUE(link.m_bUseSharedFonts);
    EXPECT_EQ(link.m_logFont.lfHeight, -13) << "the own font is left alone";
}

TEST_F(ButtonTest, SidePanelButtonHoverWinsAndSelectedShowsTheSelectedIcon) {
    CLeftSideBtns side;
    CreateOn(host, side, 100, {0, 40, 165, 66}, L"Defragment");
    Canvas canvas(165, 26);
    const RECT icon{1, 1, 25, 25};
    Draw(side, canvas, kNoState);
    EXPECT_EQ(side.m_rcInParent.top, 40) << "its place in the parent, taken once";
    EXPECT_GT(canvas.Count(kSlate, icon), 20) << "the tool's icon at rest";
    EXPECT_EQ(side.m_logFont.lfWeight, FW_NORMAL);

    side.m_bSelected = true;
    Draw(side, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(160, 20), kWhite) << "selected background";
    EXPECT_GT(canvas.Count(kBlue, icon), 20) << "the selected row of the icon";

    side.m_bHovering = true;
    Draw(side, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(160, 20), kLeftHover) << "hover wins over selected";
    EXPECT_GT(canvas.Count(kBlue, icon), 20);
    EXPECT_EQ(side.m_logFont.lfWeight, FW_BOLD);

    side.LoadPngImage(1350, 3);
    EXPECT_EQ(side.m_nIconIndex, 3);
    side.m_bHovering = side.m_bSelected = false;
    side.m_nIconIndex = -1;
    Draw(side, canvas, kNoState);
    EXPECT_EQ(canvas.Count(kSlate, icon), 0) << "no icon";
}

TEST_F(ButtonTest, LauncherButtonsShowTheirBackgroundsAndStatus) {
    constexpr COLORREF kBigHover = RGB(0xEE, 0xF4, 0xFB);
    constexpr COLORREF kGood = RGB(0x00, 0x82, 0x2C);
    constexpr COLORREF kProblem = RGB(0xA9, 0x01, 0x01);
    CLauncherLeftSideBtns side;
    CreateOn(host, side, 100, {0, 40, 170, 71}, L"Updates");
    EXPECT_EQ(side.m_clrHover, RGB(9, 63, 153));
    EXPECT_EQ(g_pLauncherPanelBitmap, nullptr);
    Canvas canvas(170, 31);
    Draw(side, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(160, 16), kWhite) << "no panel bitmap: white";
    side.m_bHovering = true;
    Draw(side, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(160, 16), kLeftHover);
    side.m_bSelected = true;
    Draw(side, canvas, kNoState);
    EXPECT_EQ(canvas.Pixel(160, 16), kWhite) << "selected wins over hover here";
    EXPECT_GT(canvas.Count(kBlue, {4, 0, 10, 31}), 10) << "the selected accent";

    CLauncherBigButtons big;
    CreateOn(host, big, 101, {0, 80, 560, 166}, L"Defragment your drives");
    big.SetDescription(L"Puts the pieces of your files back together.");
    Canvas wide(560, 86);
    Draw(big, wide, kNoState);
    EXPECT_EQ(wide.Pixel(300, 80), kWhite);
    big.m_bHovering = true;
    Draw(big, wide, kNoState);
    EXPECT_EQ(wide.Pixel(300, 80), kBigHover);
    EXPECT_GT(wide.CountNear(RGB(12, 93, 25), {85, 12, 550, 38}), 20) << "title in hover colour";
    EXPECT_FALSE(big.LoadPngImage(999));

    CLauncherProgBtns program;
    CreateOn(host, program, 102, {0, 170, 560, 256}, L"Disk Optimizer");
    const HMODULE skin = GetResourceInstance();
    EXPECT_FALSE(program.SetProgram(1386, skin, 2, L"", L"", 2, L"Run")) << "no first line";
    EXPECT_FALSE(program.SetProgram(1386, skin, 2, L"Line", L"", 2, L"Run"))
        << "the image was loaded by the call before";
    CLauncherProgBtns fresh;
    CreateOn(host, fresh, 103, {0, 260, 560, 346}, L"Cleaner");
    EXPECT_TRUE(fresh.SetProgram(1386, skin, 1, L"Line", L"Second", 1, L"Run now"));
    Draw(fresh, wide, kNoState);
    EXPECT_EQ(wide.Pixel(367, 19), kProblem) << "status 1's image at (359, 17)";
    fresh.m_nStatus = 2;
    Draw(fresh, wide, kNoState);
    EXPECT_EQ(wide.Pixel(367, 19), kGood);

    fresh.OnMouseHover(0, CPoint(400, 30));
    EXPECT_TRUE(fresh.m_bOverAction);
    EXPECT_FALSE(fresh.m_bOverLine1);
    fresh.OnMouseHover(0, CPoint(100, 60));
    EXPECT_FALSE(fresh.m_bOverLine2) << "kind 1 has no second line";
    fresh.m_nKind = 2;
    fresh.OnMouseHover(0, CPoint(100, 60));
    EXPECT_TRUE(fresh.m_bOverLine2);
    EXPECT_TRUE(fresh.m_bHovering);
    fresh.OnMouseLeave();
    EXPECT_FALSE(fresh.m_bOverAction || fresh.m_bOverLine1 || fresh.m_bOverLine2 ||
                 fresh.m_bHovering);
}

// On the screen: the button repaints itself as the mouse and the owner change its state.
TEST_F(ButtonTest, OnScreenStatesFollowMessages) {
    CHoverButton button;
    CreateOn(host, button, 100, {20, 20, 60, 40});
    button.m_bHasDisabledState = true;
    ASSERT_TRUE(button.LoadBitmap(kBlueStrip));
    auto shows = [&](COLORREF expected) {
        COLORREF seen = 0;
        for (int i = 0; i < 100 && seen != expected; ++i) {
            button.UpdateWindow();
            PumpFor(20);
            const HDC dc = ::GetDC(button.m_hWnd);
            seen = ::GetPixel(dc, 60, 14);
            ::ReleaseDC(button.m_hWnd, dc);
        }
        return seen;
    };
    button.Invalidate();
    EXPECT_EQ(shows(kBlue), kBlue);
    button.SendMessage(WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(shows(kSky), kSky);
    button.SendMessage(BM_SETSTATE, TRUE);
    EXPECT_EQ(shows(kNavy), kNavy);
    button.SendMessage(BM_SETSTATE, FALSE);
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(shows(kBlue), kBlue);
    button.EnableWindow(FALSE);
    EXPECT_EQ(shows(kGrey), kGrey);
}
