// CHoverButtonWithText: a state-strip button with its caption drawn over the frame.
#pragma once

#include "CaptionLook.h"
#include "HoverButton.h"

class CHoverButtonWithText : public CHoverButton, public CCaptionLook {
    DECLARE_DYNAMIC(CHoverButtonWithText)
public:
    CHoverButtonWithText();
    ~CHoverButtonWithText() override;

    // Four-frame strip: the disabled frame and the disabled text colour.
    CHoverButtonWithText& EnableDisabledColor(bool enable);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    bool m_bUseDisabledColor = true;
    COLORREF m_clrPressed = RGB(9, 18, 27);
    COLORREF m_clrDisabled = ~RGB(9, 18, 27);
};
