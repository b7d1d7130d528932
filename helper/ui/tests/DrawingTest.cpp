// Memory drawing and bitmaps: the off-screen context's rectangle, fill and copy-back, bitmaps
// that know their size (0 when missing), the blit helpers and images decoded through GDI+.
#include "UiTestSupport.h"

#include "BitmapDrawing.h"
#include "GdiPlusBitmap.h"
#include "GdiPlusBitmapResource.h"
#include "HyperLinkBtn.h"
#include "LauncherLeftSideBtns.h"
#include "STBitmap.h"
#include "SkinMemDC.h"
#include "SkinPaintDC.h"
#include "ProductIdentity.h"

#include <gdiplus.h>

#include <gtest/gtest.h>

namespace {
constexpr COLORREF kBlue = RGB(0x2D, 0x6D, 0xB5);
constexpr COLORREF kNavy = RGB(0x1F, 0x4E, 0x85);
constexpr COLORREF kSky = RGB(0x4A, 0x8A, 0xD4);
constexpr COLORREF kTarget = RGB(9, 9, 9);
constexpr COLORREF kFill = RGB(200, 100, 50);
} // namespace

TEST(SkinMemDC, FillsItsRectangleAndCopiesItBackOnce) {
    Canvas target(100, 80, kTarget);
    {
        CSkinMemDC memory(target.DC(), CRect(0, 0, 100, 80), kFill);
        ASSERT_TRUE(memory.IsReady());
        EXPECT_EQ(target.Pixel(50, 40), kTarget) << "nothing reaches the target before the end";
        memory.SetPixel(3, 4, RGB(1, 2, 3));
    }
    EXPECT_EQ(target.Pixel(50, 40), kFill);
    EXPECT_EQ(target.Pixel(3, 4), RGB(1, 2, 3));
}

TEST(SkinMemDC, OffsetRectangleFillsTheSameNumbersAndLandsAtItsCorner) {
    Canvas target(100, 80, kTarget);
    {
        CSkinMemDC memory(target.DC(), CRect(20, 10, 60, 50), kFill);
        ASSERT_TRUE(memory.IsReady());
        EXPECT_EQ(memory.GetPixel(25, 15), kFill) << "the argument's numbers inside the bitmap";
        EXPECT_NE(memory.GetPixel(5, 5), kFill) << "its top-left is not filled";
        memory.SetPixel(0, 0, RGB(1, 2, 3));
    }
    EXPECT_EQ(target.Pixel(20, 10), RGB(1, 2, 3)) << "memory (0, 0) lands at (left, top)";
    EXPECT_EQ(target.Pixel(45, 35), kFill);
    EXPECT_EQ(target.Pixel(70, 60), kTarget) << "outside the rectangle";
}

TEST(SkinMemDC, EmptyRectangleCoversTheClipBoxAndFillsNothing) {
    Canvas target(100, 80, kTarget);
    ::IntersectClipRect(target.Handle(), 10, 10, 30, 30);
    {
        CSkinMemDC memory(target.DC(), CRect(), kFill);
        ASSERT_TRUE(memory.IsReady());
        ASSERT_TRUE(memory.CopyFromTarget());
        memory.SetPixel(0, 0, RGB(1, 2, 3));
    }
    ::SelectClipRgn(target.Handle(), nullptr);
    EXPECT_EQ(target.Pixel(10, 10), RGB(1, 2, 3));
    EXPECT_EQ(target.Pixel(20, 20), kTarget) << "not filled: the target's own pixels back";
}

TEST(SkinMemDC, CancelledCopyLeavesTheTargetAndNullTargetDrawsNothing) {
    Canvas target(50, 50, kTarget);
    {
        CSkinMemDC memory(target.DC(), CRect(0, 0, 50, 50), kFill);
        memory.CancelCopyBack();
        EXPECT_FALSE(memory.IsReady());
    }
    EXPECT_EQ(target.CountNot(kTarget), 0);
    CSkinMemDC none(nullptr, CRect(0, 0, 10, 10), kFill);
    EXPECT_FALSE(none.IsReady());
    EXPECT_FALSE(none.CopyFromTarget());
}

// A window that paints its whole client area through CSkinPaintDC and marks one pixel.
class SkinPaintedWindow : public HostWindow {
public:
    explicit SkinPaintedWindow(COLORREF fill) : HostWindow(kTarget, 120, 90), m_fill(fill) {}
    int m_paints = 0;
    CRect m_paintedClient;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_PAINT)
            return HostWindow::WindowProc(message, wParam, lParam);
        ++m_paints;
        if (m_fill == CLR_INVALID) {
            CSkinPaintDC memory(this);
            m_paintedClient = memory.Client();
            memory.SetPixel(3, 4, RGB(1, 2, 3));
        } else {
            CSkinPaintDC memory(this, m_fill);
            m_paintedClient = memory.Client();
            memory.SetPixel(3, 4, RGB(1, 2, 3));
        }
        return 0;
    }

private:
    COLORREF m_fill;
};

TEST(SkinPaintDC, CoversTheClientAreaAndEndsThePaint) {
    SkinPaintedWindow window(kFill);
    ASSERT_NE(window.GetSafeHwnd(), nullptr);
    window.UpdateWindow();
    PumpFor(100);
    ASSERT_GE(window.m_paints, 1);
    CRect client;
    window.GetClientRect(&client);
    EXPECT_EQ(window.m_paintedClient, client);
    // An unended paint leaves the window invalid, and Windows asks for it again and again.
    EXPECT_FALSE(::GetUpdateRect(window.m_hWnd, nullptr, FALSE));
    // The picture reached the screen: the fill over the erased background, and the mark.
    EXPECT_EQ(ClientPixelOnScreen(window.m_hWnd, 60, 45), kFill);
    EXPECT_EQ(ClientPixelOnScreen(window.m_hWnd, client.right - 1, client.bottom - 1), kFill);
    EXPECT_EQ(ClientPixelOnScreen(window.m_hWnd, 3, 4), RGB(1, 2, 3));
}

TEST(SkinPaintDC, FillsWhiteUnlessToldAndPaintsAgainWhenInvalidated) {
    SkinPaintedWindow window(CLR_INVALID); // the default background
    ASSERT_NE(window.GetSafeHwnd(), nullptr);
    window.UpdateWindow();
    PumpFor(100);
    EXPECT_EQ(ClientPixelOnScreen(window.m_hWnd, 60, 45), RGB(255, 255, 255));
    const int paints = window.m_paints;
    window.Invalidate(FALSE);
    window.UpdateWindow();
    EXPECT_GT(window.m_paints, paints);
    EXPECT_FALSE(::GetUpdateRect(window.m_hWnd, nullptr, FALSE));
    EXPECT_EQ(ClientPixelOnScreen(window.m_hWnd, 3, 4), RGB(1, 2, 3));
}

TEST(Bitmaps, SizesAreKnownAfterALoadAndZeroWithout) {
    CSTBitmap strip(1074);
    EXPECT_EQ(strip.GetWidth(), 480);
    EXPECT_EQ(strip.GetHeight(), 28);
    CSTBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(999));
    EXPECT_EQ(missing.GetWidth(), 0);
    EXPECT_EQ(missing.GetHeight(), 0);

    CBitmap bitmap;
    int width = -1, height = -1;
    EXPECT_FALSE(LoadBitmapWithSize(999, &bitmap, &width, &height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_TRUE(LoadBitmapWithSize(1074, &bitmap, &width, &height));
    EXPECT_EQ(width, 480);
    EXPECT_EQ(height, 28);
    EXPECT_FALSE(LoadBitmapWithSize(1074, &bitmap, &width, &height)) << "already holds one";
}

TEST(Bitmaps, BlitHelpersTakeTheirArgumentsInOrder) {
    CSTBitmap strip(1074);
    Canvas canvas(200, 60, kTarget);
    DrawBitmap(canvas.DC(), 10, 5, 120, 28, &strip, SRCCOPY);
    EXPECT_EQ(canvas.Pixel(70, 19), kBlue);
    EXPECT_EQ(canvas.Pixel(135, 19), kTarget);
    // The source position (240, 0) comes before the size (20 x 10).
    DrawBitmapPart(canvas.DC(), 150, 40, 290, 9, 20, 10, &strip, SRCCOPY);
    EXPECT_EQ(canvas.Pixel(160, 45), kSky);
    EXPECT_EQ(canvas.Pixel(175, 45), kTarget);
    DrawBitmapStretched(canvas.DC(), 0, 40, 40, 20, 120, 0, 120, 28, &strip, SRCCOPY);
    EXPECT_EQ(canvas.Pixel(20, 50), kNavy);
    CFixedBitmapPainter().PaintFixedBitmap(canvas.DC(), 0, 0);
}

TEST(GdiPlusImages, ResourcesDecodeAndBadBytesLeaveNothing) {
    CGdiPlusBitmapResource icons;
    ASSERT_TRUE(icons.Load(1364, L"PNG", GetResourceInstance()));
    ASSERT_NE(icons.m_pBitmap, nullptr);
    EXPECT_EQ(icons.Width(), 192);
    EXPECT_EQ(icons.Height(), 72);

    CGdiPlusBitmapResource bad;
    EXPECT_FALSE(bad.Load(9001, L"PNG", ::GetModuleHandleW(nullptr)));
    EXPECT_EQ(bad.m_pBitmap, nullptr);
    EXPECT_FALSE(bad.Load(9002, L"PNG", ::GetModuleHandleW(nullptr)));
    EXPECT_FALSE(icons.Load(9001, L"PNG", ::GetModuleHandleW(nullptr)));
    EXPECT_EQ(icons.m_pBitmap, nullptr) << "a failed load empties the object";
    EXPECT_TRUE(icons.Load(1364, L"PNG", GetResourceInstance())) << "loads again after a failure";
    CGdiPlusBitmap file;
    EXPECT_FALSE(file.Load(L"C:\\no such image.png"));
}

TEST(LibraryStatics, LinkFontsAreMadeOnceByTheFirstLinkButton) {
    EXPECT_EQ(g_fontLinkNormal.m_hObject, nullptr) << "made empty when the library loads";
    EXPECT_EQ(g_pLauncherPanelBitmap, nullptr);
    CreateLinkFonts();
    const HGDIOBJ normal = g_fontLinkNormal.m_hObject;
    ASSERT_NE(normal, nullptr);
    LOGFONTW font{};
    ASSERT_NE(::GetObjectW(g_fontLinkBoldUnderline.m_hObject, sizeof(font), &font), 0);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_TRUE(font.lfUnderline);
    CreateLinkFonts();
    EXPECT_EQ(g_fontLinkNormal.m_hObject, normal) << "nothing after the first time";
}
