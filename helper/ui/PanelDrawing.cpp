#include "PanelDrawing.h"

#include "BitmapDrawing.h"
#include "DlgBaseWnd.h"
#include "SelectedFont.h"
#include "STBitmap.h"
#include "IniReader.h"
#include "UiFonts.h"

#include <algorithm>

namespace {
constexpr COLORREF kOutline = 0xDEDEDE;
constexpr COLORREF kRowLine = 0xEDEDED;
constexpr COLORREF kLabelColour = 0x5A5148;
constexpr int kBarWidth = 548;
constexpr int kBarHeight = 50;

// A GDI object selected into a device context for the scope.
class SelectedObject {
public:
    SelectedObject(CDC* dc, HGDIOBJ object)
        : m_hDC(dc->GetSafeHdc()), m_hPrevious(::SelectObject(m_hDC, object)) {}
    ~SelectedObject() {
        if (m_hPrevious != nullptr)
            ::SelectObject(m_hDC, m_hPrevious);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
};

void CopyBitmap(CDC* dc, int x, int y, int cx, int cy, CSTBitmap& bitmap, DWORD rop = SRCCOPY) {
    DrawBitmap(dc, x, y, cx, cy, &bitmap, rop);
}

void DrawBar(CDC* dc, int x, int y, BOOL highlighted, int width, bool piece) {
    CSTBitmap left(highlighted ? 1028 : 1023);
    CSTBitmap middle(highlighted ? 1029 : 1024);
    CSTBitmap right(highlighted ? 1030 : 1025);
    CSTBitmap pieceBitmap(highlighted ? 1027 : 1026);
    CopyBitmap(dc, x, y, 5, kBarHeight, left);
    DrawBitmapRepeated(dc, x + 5, y, 1, kBarHeight, &middle, 1, 0,
                       RepeatCount(x + 5, x + width - 5, 1));
    CopyBitmap(dc, x + width - 5, y, 5, kBarHeight, right);
    if (piece)
        CopyBitmap(dc, x + 15, y, 40, kBarHeight, pieceBitmap);
}

void RoundedOutline(CDC* dc, int x, int y, int bottom, int width) {
    CPen pen(PS_SOLID, 1, kOutline);
    SelectedObject selected(dc, pen.GetSafeHandle());
    dc->RoundRect(x, y, x + width + 3, bottom, 10, 10);
}

// The table frame with its title band; `body` is the caller's one-pixel fill row.
void DrawTableFrame(CDC* dc, int x, int y, int bottom, CSTBitmap& body) {
    CPen thin(PS_SOLID, 1, kOutline);
    CPen band(PS_SOLID, 2, 0xD4F6E2);
    CBrush bandBrush(0xD4F6E2);
    dc->SetBkMode(TRANSPARENT);
    {
        SelectedObject pen(dc, thin.GetSafeHandle());
        dc->RoundRect(x, y, x + kBarWidth, bottom, 10, 10);
    }
    {
        SelectedObject brush(dc, bandBrush.GetSafeHandle());
        SelectedObject pen(dc, band.GetSafeHandle());
        dc->RoundRect(x + 2, y + 2, x + 547, y + 31, 6, 4);
        dc->MoveTo(x + 1, y + 29);
        dc->LineTo(x + 546, y + 29);
    }
    {
        SelectedObject pen(dc, thin.GetSafeHandle());
        dc->MoveTo(x, y + 30);
        dc->LineTo(x + 547, y + 30);
    }
    DrawBitmapRepeated(dc, x + 2, y + 31, 545, 1, &body, 0, 1, RepeatCount(y + 31, bottom - 2, 1));
}

void Separator(CDC* dc, int x1, int x2, int y) {
    CPen pen(PS_SOLID, 1, kRowLine);
    SelectedObject selected(dc, pen.GetSafeHandle());
    dc->MoveTo(x1, y);
    dc->LineTo(x2, y);
}

HFONT FontOf(CFont& font) {
    return static_cast<HFONT>(font.GetSafeHandle());
}
} // namespace

void DrawPanelFrame(CDC* dc, int x, int y, BOOL highlighted, BOOL piece) {
    DrawBar(dc, x, y, highlighted, kBarWidth, piece != FALSE);
}

void DrawPanelFrameEx(CDC* dc, int x, int y, BOOL highlighted, int width) {
    DrawBar(dc, x, y, highlighted, width, true);
}

void DrawRoundedPanel(CDC* dc, int x, int y, int bottom, int width) {
    static CSTBitmap fill(1128);
    RoundedOutline(dc, x, y, bottom, width);
    DrawBitmapRepeated(dc, x + 2, y + 2, width, 1, &fill, 0, 1, RepeatCount(y + 2, bottom - 2, 1));
}

void DrawRoundedPanelPlain(CDC* dc, int x, int y, int bottom, int width) {
    RoundedOutline(dc, x, y, bottom, width);
    CBrush fill(0xFBFBFB);
    RECT inside{x + 2, y + 2, x + width + 2, bottom - 2};
    dc->FillRect(&inside, &fill);
}

void DrawTableBox(CDC* dc, int x, int y, int bottom) {
    static CSTBitmap body(1089);
    DrawTableFrame(dc, x, y, bottom, body);
}

void DrawLabelValueTable(CDC* dc, int x, int y, int rows, CString title, const CStringArray& labels,
                         const CStringArray& values, const CDWordArray& colours) {
    if (rows <= 0)
        return;
    static CSTBitmap body(1089);
    const int bottom = y + 28 * rows + 31;
    DrawTableFrame(dc, x, y, bottom, body);
    for (int j = 1; j < rows; ++j)
        Separator(dc, x + 1, x + 547, y + 30 + 28 * j);
    dc->SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(dc->GetSafeHdc(), FontOf(g_fontUILargeRegular));
        CRect shadow(x + 13, y + 6, x + 513, y + 31);
        dc->SetTextColor(0x8CCAA3);
        dc->DrawText(title, &shadow, DT_SINGLELINE);
        CRect text(x + 12, y + 5, x + 512, y + 30);
        dc->SetTextColor(0x194F27);
        dc->DrawText(title, &text, DT_SINGLELINE);
    }
    CSelectedFont font(dc->GetSafeHdc(), FontOf(g_fontUI));
    const int labelRows = std::min<int>(rows, static_cast<int>(labels.GetSize()));
    dc->SetTextColor(kLabelColour);
    for (int k = 0; k < labelRows; ++k) {
        const int top = y + 37 + 28 * k;
        CRect rect(x + 12, top, x + 237, top + 20);
        dc->DrawText(labels[k], &rect, DT_SINGLELINE);
    }
    const int valueRows = std::min<int>(rows, static_cast<int>(values.GetSize()));
    for (int k = 0; k < valueRows; ++k) {
        const int top = y + 37 + 28 * k;
        CRect rect(x + 237, top, x + 547, top + 20);
        dc->SetTextColor(k < colours.GetSize() ? colours[k] : kLabelColour);
        dc->DrawText(values[k], &rect, DT_SINGLELINE);
    }
}

void DrawSummaryPanel(SummaryLayout layout) {
    CDC* dc = layout.dc;
    const int x = layout.x;
    const int y = layout.y;
    const bool gradient = layout.width == 545;
    if (gradient)
        DrawRoundedPanel(dc, x, y, y + layout.height, 545);
    else
        DrawRoundedPanelPlain(dc, x, y, y + layout.height, layout.width);
    dc->SetBkMode(TRANSPARENT);
    {
        CSelectedFont font(dc->GetSafeHdc(), FontOf(g_fontUILarge));
        dc->SetTextColor(0x323232);
        CRect rect(x + 16, y + 17, x + 556, y + 37);
        dc->DrawText(layout.title, &rect, DT_WORDBREAK);
    }
    if (gradient) {
        CSTBitmap line(1090);
        CopyBitmap(dc, x + 16, y + 43, 516, 2, line, SRCAND);
    } else {
        CSTBitmap line(1091);
        DrawBitmapRepeated(dc, x + 16, y + 43, line.GetWidth(), line.GetHeight(), &line,
                           line.GetWidth(), 0,
                           RepeatCount(x + 16, x + 16 + layout.width - 29, line.GetWidth()));
    }
    if (layout.headerBitmapId != 0) {
        CSTBitmap header(layout.headerBitmapId);
        CopyBitmap(dc, x + 16, y + 51, header.GetWidth(), header.GetHeight(), header, SRCAND);
    }
    // A row needs its label, value, icon and colour: shorter arrays end the rows.
    INT_PTR rows = layout.labels != nullptr ? layout.labels->GetSize() : 0;
    rows = std::min(rows, layout.values != nullptr ? layout.values->GetSize() : 0);
    rows = std::min(rows, layout.icons != nullptr ? layout.icons->GetSize() : 0);
    rows = std::min(rows, layout.valueColours != nullptr ? layout.valueColours->GetSize() : 0);
    CSelectedFont font(dc->GetSafeHdc(), FontOf(g_fontUILargeRegular));
    for (int j = 0; j < rows; ++j) {
        const int top = y + 30 * j + 57;
        ::DrawIconEx(dc->GetSafeHdc(), x + 128, top, (*layout.icons)[j], 16, 16, 0, nullptr,
                     DI_NORMAL);
        dc->SetTextColor(kLabelColour);
        CRect label(x + 150, top - 1, x + 360, top + 19);
        dc->DrawText((*layout.labels)[j], &label, DT_WORDBREAK);
        dc->SetTextColor((*layout.valueColours)[j]);
        CRect value(x + 360, top - 1, x + 570, top + 19);
        dc->DrawText((*layout.values)[j], &value, DT_WORDBREAK);
        if (j > 0)
            Separator(dc, x + 123, x + layout.width - 13, top - 7);
    }
}

void DrawActionRequiredPanel(CDC* dc, CString message, CString firstDetail, CString secondDetail) {
    DrawRoundedPanel(dc, 22, 316, 472, 545);
    ::DrawIconEx(dc->GetSafeHdc(), 30, 325, CDlgBaseWnd::AttentionIcon(), 24, 24, 0, nullptr,
                 DI_NORMAL);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(kLabelColour);
    {
        CSelectedFont font(dc->GetSafeHdc(), FontOf(g_fontUILarge));
        CRect heading(57, 329, 200, 349);
        dc->DrawText(GetLangString(L"IDS_SYSCL_ACTIONREQ", L"Pelq"), &heading, DT_WORDBREAK);
    }
    CSTBitmap line(1090);
    CopyBitmap(dc, 57, 351, 487, line.GetHeight(), line, SRCAND);
    CSelectedFont font(dc->GetSafeHdc(), FontOf(g_fontUI));
    CRect body(57, 361, 550, 416);
    dc->DrawText(message, &body, DT_WORDBREAK);
    CRect first(57, 411, 152, 431);
    dc->DrawText(firstDetail, &first, DT_CALCRECT | DT_SINGLELINE);
    dc->DrawText(firstDetail, &first, DT_SINGLELINE);
    CRect second(first.right + 5, 411, first.right + 5 + 190, 451);
    dc->SetTextColor(0x0101A9);
    dc->DrawText(secondDetail, &second, DT_CALCRECT | DT_SINGLELINE);
    dc->DrawText(secondDetail, &second, DT_SINGLELINE);
}
