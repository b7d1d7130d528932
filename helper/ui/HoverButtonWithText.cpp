#include "HoverButtonWithText.h"

#include "CaptionStyle.h"
#include "DrawingScopes.h"
#include "ui_fonts.h"

IMPLEMENT_DYNAMIC(CHoverButtonWithText, CHoverButton)

CHoverButtonWithText::CHoverButtonWithText() {
    GetDefaultLogFont(&m_logFont);
}

CHoverButtonWithText::~CHoverButtonWithText() = default;

CHoverButtonWithText& CHoverButtonWithText::EnableDisabledColor(bool enable) {
    m_bHasDisabledState = enable;
    return *this;
}

void CHoverButtonWithText::DrawItem(LPDRAWITEMSTRUCT dis) {
    CHoverButton::DrawItem(dis);
    const HDC dc = dis->hDC;
    CRect rect(dis->rcItem);
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (m_nCaptionX != -1) {
        rect.left = m_nCaptionX;
        rect.top = m_nCaptionY;
        format = DT_SINGLELINE;
    }
    CString caption;
    GetWindowText(caption);
    ::SetBkMode(dc, TRANSPARENT);
    const bool disabled = (dis->itemState & ODS_DISABLED) != 0 || !IsWindowEnabled();
    ::SetTextColor(dc, m_bUseDisabledColor && disabled && m_bHasDisabledState ? m_clrDisabled
                                                                              : m_clrText);
    const bool hovering = m_bHovering || m_bSelected;
    const LONG keptWeight = PrepareCaptionFont(
        {&m_logFont, m_bBoldAlways, m_bWeight500, hovering, m_bBoldOnHover, m_bUnderlineOnHover});
    if (hovering)
        ::SetTextColor(dc, m_clrHover);
    const CSelectedFont font(dc, m_logFont);
    m_logFont.lfWeight = keptWeight;
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
