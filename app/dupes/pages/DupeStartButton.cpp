#include "DupeStartButton.h"

#include <SelectedFont.h>
#include <UiFonts.h>

void CDupeStartButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    CHoverButtonTextPng::DrawItem(dis);
    wchar_t caption[128] = {};
    ::GetWindowTextW(m_hWnd, caption, 128);
    CSelectedFont font(dis->hDC, static_cast<HFONT>(g_fontUILarge.GetSafeHandle()));
    const int mode = ::SetBkMode(dis->hDC, TRANSPARENT);
    const COLORREF previous = ::SetTextColor(
        dis->hDC, (dis->itemState & ODS_DISABLED) ? RGB(0xE0, 0xE0, 0xE0) : RGB(255, 255, 255));
    RECT text = dis->rcItem;
    text.left += 56; // beside the glyph
    ::DrawTextW(dis->hDC, caption, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SetTextColor(dis->hDC, previous);
    ::SetBkMode(dis->hDC, mode);
}
