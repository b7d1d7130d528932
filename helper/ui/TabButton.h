// CTabButton: a tab of the main window: a four-frame state strip with its own caption.
#pragma once

#include "BaseGUIButton.h"

#include <classlib/Gdi.h>

class CTabButton : public CBaseGUIButton {
    DECLARE_DYNAMIC(CTabButton)
public:
    CTabButton();
    ~CTabButton() override;

    // The strip always holds four frames.
    BOOL LoadBitmap(UINT id);
    BOOL AttachBitmap(HBITMAP strip);
    // Draws the disabled frame from now on.
    CTabButton& EnableDisabledColor(bool enable);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void DrawCaption(LPDRAWITEMSTRUCT dis);

    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    CBitmap m_bmpStrip;
    bool m_bSingleStrip = true;
    CBitmap m_bmpLeft;
    CBitmap m_bmpMiddle;
    CBitmap m_bmpRight;
    int m_nLeftWidth = 0;
    int m_nMiddleWidth = 0;
    int m_nRightWidth = 0;
    int m_nLeftHeight = 0;
    int m_nMiddleHeight = 0;
    int m_nRightHeight = 0;
    bool m_bHasDisabledState = false;

    bool m_bShadow = false;
    bool m_bBoldOnHover = false;
    bool m_bBoldAlways = false;
    bool m_bUnderlineOnHover = false;
    bool m_bReserved = true;
    LOGFONTW m_logFont{};
    COLORREF m_clrText = RGB(9, 18, 27);
    COLORREF m_clrHover = RGB(45, 72, 108);
    COLORREF m_clrThird = RGB(27, 54, 90);
    COLORREF m_clrDisabled = ~RGB(9, 18, 27);
    // -1: centred.
    int m_nCaptionX = -1;
    int m_nCaptionY = 7;
    bool m_bWeight500 = false;
    // Pressed frame with a white caption.
    bool m_bPushed = false;
};
