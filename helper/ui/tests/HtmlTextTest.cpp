// HTML text as the product's texts use it: the height a text is given is the height it draws
// in, lines wrap inside the rectangle, styles, entities and the two modes of the background.
#include "UiTestSupport.h"

#include "HtmlText.h"
#include "SThtmlStatic.h"

#include <pelqview.h>

#include <gtest/gtest.h>

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGreen = RGB(0, 160, 0);

// The message box's wrapping of a plain text, and longer texts of the product's kind.
constexpr wchar_t kMessageBoxText[] =
    L"<font face=\"Tahoma\" size=9pt>The defragmentation is still running. Do you want to stop "
    L"it now and keep the files that were already moved?<font>";
constexpr wchar_t kRichText[] =
    L"<font face=\"Tahoma\" size=9pt color=#203040><b>Scan finished.</b><br>Stellmark found "
    L"<b>1,024</b> fragmented files on drive C:. Defragmenting them can make your computer "
    L"faster &amp; quieter.<p>Click <u>Defragment</u> to start, or <i>Close</i> to leave "
    L"it for later.</p></font>";

class HtmlTest : public ::testing::Test {
protected:
    HtmlTest() : canvas(400, 300, kWhite) {
        font.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                        NONANTIALIASED_QUALITY, 0, L"Tahoma");
        previous = ::SelectObject(canvas.Handle(), font.m_hObject);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(canvas.Handle(), &metrics);
        lineHeight = metrics.tmHeight;
    }
    ~HtmlTest() override { ::SelectObject(canvas.Handle(), previous); }
    int Height(LPCWSTR html, int width) {
        return PelqHtml_GetHTMLHeight(canvas.Handle(), html, nullptr, width);
    }
    BOOL Render(LPCWSTR html, RECT rect, UINT mode = PELQ_HTML_TRANSPARENT) {
        return PelqHtml_RenderHTMLRect(canvas.Handle(), html, nullptr, mode, &rect);
    }
    Canvas canvas;
    CFont font;
    HGDIOBJ previous = nullptr;
    int lineHeight = 0;
};
} // namespace

TEST_F(HtmlTest, LinesBreaksAndParagraphs) {
    EXPECT_EQ(Height(L"Short text", 300), lineHeight);
    EXPECT_EQ(Height(L"one<br>two", 300), 2 * lineHeight);
    EXPECT_EQ(Height(L"one<br><br>three", 300), 3 * lineHeight) << "an empty line";
    EXPECT_EQ(Height(L"one<BR/>two", 300), 2 * lineHeight);
    const int paragraphs = Height(L"<p>one</p><p>two</p>", 300);
    EXPECT_GT(paragraphs, 2 * lineHeight) << "a gap between paragraphs";
    EXPECT_LT(paragraphs, 3 * lineHeight);
    EXPECT_EQ(Height(L"   many    spaces   collapse  ", 300), lineHeight);
    EXPECT_EQ(Height(L"", 300), 0);
}

TEST_F(HtmlTest, WordsWrapAtTheWidthAndLongWordsAreCut) {
    const int wide = Height(kMessageBoxText, 380);
    const int narrow = Height(kMessageBoxText, 120);
    EXPECT_GT(narrow, wide);
    const RECT rect{10, 10, 130, 290};
    ASSERT_TRUE(Render(L"Averyveryveryveryverylongwordwithoutanyspace and more", rect));
    EXPECT_EQ(canvas.CountNot(kWhite, {130, 0, 400, 300}), 0) << "nothing right of the rectangle";
    EXPECT_EQ(canvas.CountNot(kWhite, {0, 0, 10, 300}), 0);
    EXPECT_GT(Height(L"Averyveryveryveryverylongwordwithoutanyspace", 120), lineHeight);
}

TEST_F(HtmlTest, HeightAgreesWithWhatIsDrawn) {
    for (LPCWSTR text : {kMessageBoxText, kRichText}) {
        const int width = 351;
        const int height = Height(text, width);
        ASSERT_GT(height, 0);
        ASSERT_TRUE(Render(text, {0, 0, width, 300}));
        const int lowest = canvas.LowestInkRow(kWhite);
        EXPECT_LT(lowest, height) << "drawn below the height it was given";
        EXPECT_GT(lowest, height - lineHeight - 4) << "the last line is near the bottom";
        const int full = canvas.CountNot(kWhite);
        canvas.Fill(kWhite);
        ASSERT_TRUE(Render(text, {0, 0, width, height}));
        EXPECT_EQ(canvas.CountNot(kWhite), full) << "a rectangle of that height cuts nothing";
        canvas.Fill(kWhite);
    }
}

TEST_F(HtmlTest, FontFaceSizeColourAndStyles) {
    EXPECT_GT(Height(L"<font size=14pt>Big</font>", 300), Height(L"<font size=8pt>a</font>", 300));
    EXPECT_GT(Height(L"<font size=7>Big</font>", 300), Height(L"<font size=1>a</font>", 300));

    ASSERT_TRUE(
        Render(L"<font color=#FF0000>MMMM</font> <font color=blue>MMMM</font>", {0, 0, 300, 40}));
    int red = 0, blue = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 300; ++x) {
            const COLORREF c = canvas.Pixel(x, y);
            red += GetRValue(c) > 180 && GetGValue(c) < 90 && GetBValue(c) < 90;
            blue += GetBValue(c) > 180 && GetRValue(c) < 90 && GetGValue(c) < 90;
        }
    EXPECT_GT(red, 10);
    EXPECT_GT(blue, 10);

    auto inkWidth = [&](LPCWSTR html) {
        canvas.Fill(kWhite);
        Render(html, {0, 0, 400, 40});
        int right = -1;
        for (int x = 0; x < 400; ++x)
            for (int y = 0; y < 40; ++y)
                if (canvas.Pixel(x, y) != kWhite)
                    right = x;
        return right;
    };
    const int plain = inkWidth(L"Defragment now");
    EXPECT_GT(inkWidth(L"<b>Defragment now</b>"), plain);
    EXPECT_GT(inkWidth(L"<font size=16pt>Defragment now</font>"), plain);
    canvas.Fill(kWhite);
    Render(L"<u>Link</u>", {0, 0, 400, 40});
    const int underlined = canvas.CountNot(kWhite);
    canvas.Fill(kWhite);
    Render(L"Link", {0, 0, 400, 40});
    EXPECT_GT(underlined, canvas.CountNot(kWhite));
    EXPECT_EQ(inkWidth(L"<b>bold</b> plain"), inkWidth(L"<b>bold</B> plain")) << "any letter case";
}

TEST_F(HtmlTest, CharacterEntities) {
    auto drawn = [&](LPCWSTR html) {
        canvas.Fill(kWhite);
        Render(html, {0, 0, 400, 40});
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x)
                pixels.push_back(canvas.Pixel(x, y));
        return pixels;
    };
    EXPECT_EQ(drawn(L"a &amp; b"), drawn(L"a &#38; b"));
    EXPECT_EQ(drawn(L"a &amp; b"), drawn(L"a &#x26; b"));
    EXPECT_EQ(drawn(L"&copy; 2026"), drawn(L"\u00A9 2026"));
    EXPECT_NE(drawn(L"&lt;b&gt;x"), drawn(L"x")) << "escaped tags are text";
    EXPECT_EQ(drawn(L"AT&T"), drawn(L"AT&amp;T")) << "a lone ampersand stays";
}

TEST_F(HtmlTest, ModesKeepOrFillTheBackground) {
    canvas.Fill(kGreen);
    ::SetBkColor(canvas.Handle(), RGB(0, 0, 200));
    ASSERT_TRUE(Render(L"Hello", {10, 10, 110, 40}, PELQ_HTML_TRANSPARENT));
    EXPECT_EQ(canvas.Pixel(100, 35), kGreen);
    ASSERT_TRUE(Render(L"Hello", {10, 10, 110, 40}, PELQ_HTML_OPAQUE));
    EXPECT_EQ(canvas.Pixel(100, 35), RGB(0, 0, 200));
    EXPECT_EQ(canvas.Pixel(5, 5), kGreen) << "outside the rectangle";

    canvas.Fill(kGreen);
    const RECT rect{10, 10, 110, 40};
    EXPECT_TRUE(DrawHtmlText(nullptr, canvas.DC(), &rect, L"Hello", TRUE));
    EXPECT_EQ(canvas.Pixel(100, 35), kGreen) << "transparent: mode 5";
    EXPECT_TRUE(DrawHtmlText(nullptr, canvas.DC(), &rect, L"Hello", FALSE));
    EXPECT_EQ(canvas.Pixel(100, 35), RGB(0, 0, 200)) << "opaque: mode 1";
}

TEST_F(HtmlTest, TextStaysInsideTheRectangle) {
    ASSERT_TRUE(Render(kRichText, {20, 20, 200, 45}));
    EXPECT_EQ(canvas.CountNot(kWhite, {0, 45, 400, 300}), 0);
    EXPECT_EQ(canvas.CountNot(kWhite, {200, 0, 400, 300}), 0);
    EXPECT_GT(canvas.CountNot(kWhite, {20, 20, 200, 45}), 20);
}

TEST_F(HtmlTest, BadArgumentsAreRefused) {
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(PelqHtml_GetHTMLHeight(nullptr, L"x", nullptr, 100), -1);
    EXPECT_EQ(PelqHtml_GetHTMLHeight(canvas.Handle(), nullptr, nullptr, 100), -1);
    EXPECT_EQ(PelqHtml_GetHTMLHeight(canvas.Handle(), L"x", nullptr, 0), -1);
    EXPECT_FALSE(PelqHtml_RenderHTMLRect(canvas.Handle(), L"x", nullptr, 2, &rect));
    EXPECT_FALSE(PelqHtml_RenderHTMLRect(canvas.Handle(), nullptr, nullptr, 1, &rect));
    EXPECT_FALSE(PelqHtml_RenderHTMLRect(canvas.Handle(), L"x", nullptr, 1, nullptr));
    // Unclosed and stray tags, an unfinished entity and a tag without its end.
    EXPECT_EQ(Height(L"<b><i>open</font></u> &amp text <font", 300), lineHeight);
}

TEST(HtmlStatic, ShowsItsTextAsHtmlOverTheParent) {
    HostWindow host(kGreen);
    CSThtmlStatic text;
    ASSERT_TRUE(text.Create(L"<b>Scan</b> finished", WS_CHILD | WS_VISIBLE, CRect(20, 20, 220, 60),
                            &host, 100));
    text.m_bTransparent = true;
    int green = 0, ink = 0;
    for (int i = 0; i < 100 && (green == 0 || ink == 0); ++i) {
        text.Invalidate();
        text.UpdateWindow();
        PumpFor(20);
        const HDC dc = ::GetDC(text.m_hWnd);
        green = ink = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 200; ++x) {
                const COLORREF c = ::GetPixel(dc, x, y);
                green += c == kGreen;
                ink += GetGValue(c) < 100;
            }
        ::ReleaseDC(text.m_hWnd, dc);
    }
    EXPECT_GT(green, 1000) << "the parent's background behind the text";
    EXPECT_GT(ink, 20) << "the text";
}
