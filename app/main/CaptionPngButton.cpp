#include "CaptionPngButton.h"

#include <UiFonts.h>

namespace {
// Right of the glyph, which takes the button's left 64 pixels.
constexpr int kCaptionLeft = 64;
constexpr COLORREF kCaptionColour = RGB(255, 255, 255);
} // namespace

void CCaptionPngButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    CHoverButtonTextPng::DrawItem(dis);
    CString caption;
    GetWindowText(caption);
    if (caption.IsEmpty())
        return;
    RECT text = dis->rcItem;
    text.left += kCaptionLeft;
    const HGDIOBJ previousFont = SelectObject(dis->hDC, g_fontPlus4Bold.GetSafeHandle());
    const int previousMode = SetBkMode(dis->hDC, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dis->hDC, kCaptionColour);
    DrawTextW(dis->hDC, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SetTextColor(dis->hDC, previousColour);
    SetBkMode(dis->hDC, previousMode);
    SelectObject(dis->hDC, previousFont);
}
