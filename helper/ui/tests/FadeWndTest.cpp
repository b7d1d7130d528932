// The fade window: its colour ramp and step, covering a window (also one partly off-screen),
// closing by click, deleting itself, and painting while its worker swaps frames.
#include "UiTestSupport.h"

#include "FadeWnd.h"

#include <gtest/gtest.h>

namespace {
// Records its deletion.
class ProbeFade : public CFadeWnd {
public:
    explicit ProbeFade(bool* deleted) : m_deleted(deleted) {}
    ~ProbeFade() override { *m_deleted = true; }

private:
    bool* m_deleted;
};

GdiObject<HBITMAP> SolidBitmap(int width, int height, COLORREF colour) {
    const HDC screen = ::GetDC(nullptr);
    GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    const DeviceContext dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ previous = ::SelectObject(dc.Get(), bitmap.Get());
    const RECT all{0, 0, width, height};
    const GdiObject<HBRUSH> brush(::CreateSolidBrush(colour));
    ::FillRect(dc.Get(), &all, brush.Get());
    ::SelectObject(dc.Get(), previous);
    return bitmap;
}
} // namespace

TEST(FadeWindow, ColourTableIsARampBetweenTheTwoColours) {
    CFadeWnd fade;
    for (int i = 0; i < 256; ++i) {
        const int grey = i * 255 / 256;
        ASSERT_EQ(fade.m_colours[i], RGB(grey, grey, grey)) << i;
    }
    fade.SetColors(RGB(200, 100, 0), RGB(0, 0, 100));
    EXPECT_EQ(fade.m_colours[0], RGB(0, 0, 99));
    EXPECT_EQ(fade.m_colours[255], RGB(199, 99, 0));
}

TEST(FadeWindow, StepStaysWithinItsBoundsWhateverTheFirstFrameTook) {
    EXPECT_EQ(CFadeWnd::FadeStep(0), 5) << "20 frames when no time could be measured";
    EXPECT_EQ(CFadeWnd::FadeStep(1), 3);
    EXPECT_EQ(CFadeWnd::FadeStep(100), 6);
    EXPECT_EQ(CFadeWnd::FadeStep(1500), 49);
    EXPECT_EQ(CFadeWnd::FadeStep(2000), 49) << "a first frame slower than the whole fade";
    EXPECT_EQ(CFadeWnd::FadeStep(60000), 49);
}

TEST(FadeWindow, BlendFrameMovesTowardsTheLuminanceColour) {
    CFadeWnd fade;
    const GdiObject<HBITMAP> white = SolidBitmap(4, 4, RGB(255, 255, 255));
    const GdiObject<HBITMAP> start(fade.BlendFrame(white.Get(), 0, nullptr));
    const GdiObject<HBITMAP> end(fade.BlendFrame(white.Get(), 100, nullptr));
    ASSERT_TRUE(start);
    ASSERT_TRUE(end);
    EXPECT_EQ(BitmapPixel(start.Get(), 1, 1), RGB(254, 254, 254));
    EXPECT_EQ(BitmapPixel(end.Get(), 1, 1), RGB(252, 252, 252));
    fade.SetColors(RGB(255, 0, 0), RGB(0, 0, 255));
    const GdiObject<HBITMAP> red(fade.BlendFrame(white.Get(), 100, nullptr));
    EXPECT_GT(GetRValue(BitmapPixel(red.Get(), 2, 2)), 240);
    EXPECT_EQ(fade.BlendFrame(nullptr, 50, nullptr), nullptr);
}

TEST(FadeWindow, NullOrDeadWindowsAreRefused) {
    FadeWindow(nullptr, RGB(255, 255, 255), RGB(0, 0, 0)); // nothing happens
    bool deleted = false;
    auto* fade = new ProbeFade(&deleted);
    EXPECT_FALSE(fade->Start(nullptr, TRUE, RECT{}));
    EXPECT_TRUE(deleted) << "a fade window that deletes itself does so also when it fails";
    CFadeWnd kept;
    CWnd dead;
    EXPECT_FALSE(kept.Start(&dead, FALSE, RECT{}));
}

TEST(FadeWindow, CoversAWindowPartlyOffScreenFromTheLeftEdge) {
    HostWindow host(RGB(0, 160, 0), 300, 200);
    host.SetWindowPos(nullptr, -50, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpFor(200);
    {
        CFadeWnd fade(&host);
        ASSERT_NE(fade.m_hWnd, nullptr);
        CRect covered;
        fade.GetWindowRect(&covered);
        EXPECT_EQ(covered.left, 0);
        EXPECT_EQ(covered.Width(), 300) << "the full width kept";
        EXPECT_FALSE(host.IsWindowEnabled());
        EXPECT_EQ(fade.m_pCovered, &host);
        PumpFor(2000);
        fade.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(::IsWindow(fade.m_hWnd)) << "not deleting itself: a click does not close";
    }
    EXPECT_TRUE(host.IsWindowEnabled()) << "enabled again when the fade window goes";
}

TEST(FadeWindow, ClicksCloseOnlyASelfDeletingWindowAndOnlyTheLeftButton) {
    HostWindow host(RGB(0, 160, 0), 200, 150);
    PumpFor(200);
    bool deleted = false;
    auto* fade = new ProbeFade(&deleted);
    ASSERT_TRUE(fade->Start(&host, TRUE, RECT{}));
    const HWND window = fade->m_hWnd;
    ::SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_FALSE(deleted);
    // Closed while the worker is still fading: the worker ends before the object goes.
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(deleted);
    EXPECT_TRUE(host.IsWindowEnabled());
}

TEST(FadeWindow, PaintsWhileTheWorkerSwapsFramesAndEndsGrey) {
    HostWindow host(RGB(0, 160, 0), 200, 150);
    PumpFor(300);
    CFadeWnd fade(&host);
    ASSERT_NE(fade.m_hWnd, nullptr);
    const ULONGLONG end = ::GetTickCount64() + 2500;
    while (::GetTickCount64() < end) {
        fade.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        PumpFor(2);
    }
    const HDC dc = ::GetDC(fade.m_hWnd);
    const COLORREF seen = ::GetPixel(dc, 100, 75);
    ::ReleaseDC(fade.m_hWnd, dc);
    EXPECT_LT(abs(GetRValue(seen) - GetGValue(seen)), 40) << "faded towards grey";
    EXPECT_GT(GetRValue(seen), 60) << "the green's luminance, not an empty window";
}
