// CHoverButtonWithText: a state-strip button with its caption drawn over the frame.
#pragma once

#include "HoverButton.h"

class CHoverButtonWithText : public CHoverButton {
    DECLARE_DYNAMIC(CHoverButtonWithText)
public:
    CHoverButtonWithText();
    ~CHoverButtonWithText() override;

    // Four-frame strip: the disabled frame and the disabled text colour.
    CHoverButtonWithText& EnableDisabledColor(bool enable);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    bool m_bShadow = false;
    bool m_bBoldOnHover = false;
    bool m_bBoldAlways = false;
    bool m_bUnderlineOnHover = false;
    bool m_bUseDisabledColor = true;
    LOGFONTW m_logFont{};
    COLORREF m_clrText = RGB(9, 18, 27);
    COLORREF m_clrHover = RGB(45, 72, 108);
    COLORREF m_clrThird = RGB(27, 54, 90);
    COLORREF m_clrPressed = RGB(9, 18, 27);
    COLORREF m_clrDisabled = ~RGB(9, 18, 27);
    // -1: centred.
    int m_nCaptionX = -1;
    int m_nCaptionY = 7;
    bool m_bWeight500 = false;
};
