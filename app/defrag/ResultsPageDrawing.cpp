#include "ResultsPageDrawing.h"

#include <PanelDrawing.h>
#include <SelectedFont.h>
#include <UiFonts.h>

namespace {
constexpr UINT kLightStrip = 1074;
constexpr UINT kDarkStrip = 1076;
} // namespace

void StyleResultButton(CDlgBaseWnd& page, CHoverButtonWithText& button, bool light,
                       const CString& caption) {
    button.m_bHasDisabledState = true;
    button.LoadBitmap(light ? kLightStrip : kDarkStrip);
    if (light)
        page.StyleLightTextButton(&button);
    else
        page.StyleDarkTextButton(&button);
    button.SetWindowText(caption);
}

void PlaceResultButton(CWnd& button, int cx, int cy, int fromRight) {
    if (button.GetSafeHwnd() != nullptr)
        button.MoveWindow(cx - fromRight, cy - 40, 120, 28, TRUE);
}

void DrawResultHeadline(CDC& dc, int x, int y, bool highlighted, const CString& text,
                        COLORREF colour, const CRect& textRect) {
    DrawPanelFrame(&dc, x, y, highlighted, TRUE);
    DrawResultText(dc, text, colour, textRect);
}

void DrawResultText(CDC& dc, const CString& text, COLORREF colour, const CRect& textRect) {
    dc.SetBkMode(TRANSPARENT);
    CSelectedFont font(dc.GetSafeHdc(), static_cast<HFONT>(g_fontUIBold.GetSafeHandle()));
    const COLORREF previous = dc.SetTextColor(colour);
    CRect rect = textRect;
    dc.DrawText(text, &rect, DT_WORDBREAK);
    dc.SetTextColor(previous);
}
