#include "HoverButtonWithText.h"

#include "SelectedFont.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CHoverButtonWithText, CHoverButton)

CHoverButtonWithText::CHoverButtonWithText() = default;

CHoverButtonWithText::~CHoverButtonWithText() = default;

CHoverButtonWithText& CHoverButtonWithText::EnableDisabledColor(bool enable) {
    m_bHasDisabledState = enable;
    return *this;
}

void CHoverButtonWithText::DrawItem(LPDRAWITEMSTRUCT dis) {
    CHoverButton::DrawItem(dis);
    const HDC dc = dis->hDC;
    CRect rect(dis->rcItem);
    const UINT format = Place(rect);
    CString caption;
    GetWindowText(caption);
    ::SetBkMode(dc, TRANSPARENT);
    const bool disabled = (dis->itemState & ODS_DISABLED) != 0 || !IsWindowEnabled();
    ::SetTextColor(dc, m_bUseDisabledColor && disabled && m_bHasDisabledState ? m_clrDisabled
                                                                              : m_clrText);
    const bool hovering = m_bHovering || m_bSelected;
    if (hovering)
        ::SetTextColor(dc, m_clrHover);
    const CSelectedFont font(dc, StateFont(hovering));
    if (m_bShadow) {
        CRect shadow(rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1);
        const COLORREF previous = ::SetTextColor(dc, kCaptionShadowColour);
        ::DrawTextW(dc, caption, caption.GetLength(), &shadow, format);
        ::SetTextColor(dc, previous);
    }
    if ((dis->itemState & ODS_SELECTED) != 0 || m_bPushed)
        ::SetTextColor(dc, m_clrPressed);
    ::DrawTextW(dc, caption, caption.GetLength(), &rect, format);
}
