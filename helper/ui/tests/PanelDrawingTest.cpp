// The boxed panels of the result pages, drawn on memory canvases: outlines, fills, title
// bands, row separators, and rows bounded by the data they are given.
#include "UiTestSupport.h"

#include "PanelDrawing.h"
#include "STBitmap.h"
#include "UiFonts.h"

#include <gtest/gtest.h>

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kOutline = 0xDEDEDE;
constexpr COLORREF kPlainFill = 0xFBFBFB;
constexpr COLORREF kBand = 0xD4F6E2;
constexpr COLORREF kRowLine = 0xEDEDED;
constexpr COLORREF kBarFill = RGB(0xEA, 0xF1, 0xF9);
constexpr COLORREF kGoodBadge = RGB(0x00, 0x82, 0x2C);
constexpr COLORREF kAttentionBadge = RGB(0xA9, 0x01, 0x01);

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

bool SamePixels(const Canvas& a, const Canvas& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return false;
    return true;
}

// The pixels of the rectangle where `drawn` differs from `bare`, the same panel with nothing
// drawn on it (the panel's fill is a picture, not one colour).
int CountChanged(const Canvas& drawn, const Canvas& bare, RECT area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += drawn.Pixel(x, y) != bare.Pixel(x, y) ? 1 : 0;
    return count;
}
} // namespace

TEST(PanelDrawing, RoundedPanelsOutlineAndFill) {
    Canvas gradient(600, 200);
    DrawRoundedPanel(gradient.DC(), 10, 10, 150, 545);
    EXPECT_EQ(gradient.Pixel(300, 10), kOutline);
    CSTBitmap fill(1128);
    const COLORREF fillAt300 = BitmapPixel(fill, 300 - 12, 0);
    EXPECT_EQ(gradient.Pixel(300, 80), fillAt300) << "each row is the fill picture's row";
    EXPECT_EQ(gradient.Pixel(300, 140), fillAt300);
    EXPECT_EQ(gradient.Pixel(300, 152), kWhite);

    Canvas plain(600, 200);
    DrawRoundedPanelPlain(plain.DC(), 10, 10, 150, 400);
    EXPECT_EQ(plain.Pixel(200, 10), kOutline);
    EXPECT_EQ(plain.Pixel(200, 80), kPlainFill);
    EXPECT_EQ(plain.Pixel(500, 80), kWhite);

    // A panel too low for its fill draws the outline only.
    Canvas low(600, 60);
    DrawRoundedPanel(low.DC(), 10, 10, 14, 545);
    EXPECT_EQ(low.Count(fillAt300, RECT{0, 0, 600, 60}), 0);
    EXPECT_GT(low.Count(kOutline, RECT{0, 0, 600, 60}), 0);
}

TEST(PanelDrawing, BarFrameWithTheFullWidthIsTheFixedOneWithItsPiece) {
    Canvas fixed(600, 60), variable(600, 60);
    DrawPanelFrame(fixed.DC(), 5, 5, FALSE, TRUE);
    DrawPanelFrameEx(variable.DC(), 5, 5, FALSE, 548);
    EXPECT_TRUE(SamePixels(fixed, variable));
    EXPECT_EQ(fixed.Pixel(300, 30), kBarFill);
    EXPECT_EQ(fixed.Pixel(554, 30), kWhite);
}

// The piece at the bar's head carries the result's badge, a good one on the plain bar and one
// that calls for attention on the highlighted bar, inside the bar's height.
TEST(PanelDrawing, BarPieceShowsTheResultsBadge) {
    Canvas plain(600, 60), highlighted(600, 60);
    DrawPanelFrame(plain.DC(), 5, 5, FALSE, TRUE);
    DrawPanelFrame(highlighted.DC(), 5, 5, TRUE, TRUE);
    EXPECT_EQ(plain.Pixel(5 + 15 + 16, 5 + 32), kGoodBadge);
    EXPECT_EQ(highlighted.Pixel(5 + 15 + 16, 5 + 32), kAttentionBadge);
    EXPECT_EQ(plain.Pixel(5 + 15 + 20, 5 + 2), kBarFill);
    // Without the piece flag the bar is plain there.
    Canvas bare(600, 60);
    DrawPanelFrame(bare.DC(), 5, 5, FALSE, FALSE);
    EXPECT_EQ(bare.Pixel(5 + 15 + 16, 5 + 32), kBarFill);
}

TEST(PanelDrawing, TableBoxHasItsTitleBandAndBody) {
    Canvas canvas(600, 200);
    canvas.Fill(RGB(1, 2, 3));
    DrawTableBox(canvas.DC(), 10, 10, 150);
    EXPECT_EQ(canvas.Pixel(200, 20), kBand);
    EXPECT_EQ(canvas.Pixel(200, 80), kWhite);
    EXPECT_EQ(canvas.Pixel(200, 10), kOutline);
}

TEST(PanelDrawing, LabelValueTableRowsFollowTheirData) {
    CStringArray labels, values;
    CDWordArray colours;
    for (LPCWSTR label : {L"Files", L"Folders", L"Size"})
        labels.Add(label);
    values.Add(L"1200");
    colours.Add(RGB(200, 0, 0));

    Canvas canvas(600, 200);
    // Two rows: three labels but only two drawn; one value, the second left blank.
    DrawLabelValueTable(canvas.DC(), 10, 10, 2, L"Results", labels, values, colours);
    const int bottom = 10 + 28 * 2 + 31;
    EXPECT_EQ(canvas.Pixel(300, 10 + 30 + 28), kRowLine);
    EXPECT_EQ(canvas.LowestInkRow(kWhite), bottom - 1);
    const RECT firstValue{10 + 237, 47, 10 + 547, 67};
    EXPECT_GT(canvas.CountNear(RGB(200, 0, 0), firstValue), 0);
    EXPECT_EQ(canvas.CountNot(kWhite, RECT{260, 76, 550, 94}), 0) << "no second value";
    EXPECT_GT(canvas.CountNot(kWhite, RECT{22, 75, 240, 95}), 0) << "second label";

    Canvas none(600, 200);
    DrawLabelValueTable(none.DC(), 10, 10, 0, L"Results", labels, values, colours);
    EXPECT_EQ(none.CountNot(kWhite), 0);
}

TEST(PanelDrawing, SummaryRowsEndWithTheShortestArray) {
    CStringArray labels, values;
    for (LPCWSTR text : {L"Fragmented files", L"Moved files", L"Free space"})
        labels.Add(text);
    for (LPCWSTR text : {L"12", L"10", L"40 GB"})
        values.Add(text);
    CIconArray icons;
    icons.Add(::LoadIconW(nullptr, IDI_INFORMATION));
    CDWordArray colours;
    colours.Add(RGB(0, 130, 44));
    colours.Add(RGB(0, 130, 44));

    Canvas canvas(620, 220);
    SummaryLayout layout;
    layout.dc = canvas.DC();
    layout.x = 10;
    layout.y = 10;
    layout.height = 190;
    layout.title = L"Defragmentation finished";
    layout.icons = &icons;
    layout.labels = &labels;
    layout.values = &values;
    layout.valueColours = &colours;
    layout.width = 545;
    DrawSummaryPanel(layout);
    // Row 0 has everything; row 1 has no icon, so neither it nor row 2 is drawn.
    const int row0 = 10 + 57, row1 = 10 + 30 + 57;
    Canvas bare(620, 220);
    DrawRoundedPanel(bare.DC(), 10, 10, 10 + 190, 545);
    EXPECT_NE(CountChanged(canvas, bare, RECT{160, row0, 360, row0 + 16}), 0);
    EXPECT_EQ(CountChanged(canvas, bare, RECT{160, row1, 360, row1 + 16}), 0);
    EXPECT_EQ(canvas.Count(kRowLine, RECT{133, row1 - 8, 540, row1 - 6}), 0);

    // No rows at all: panel, title and separator only.
    Canvas empty(620, 220);
    CStringArray none;
    layout.dc = empty.DC();
    layout.labels = &none;
    DrawSummaryPanel(layout);
    EXPECT_EQ(CountChanged(empty, bare, RECT{130, row0, 540, 180}), 0);
    EXPECT_GT(CountChanged(empty, bare, RECT{26, 27, 300, 47}), 0) << "title";
}
