// CTabButton: a tab of the main window: a four-frame state strip with its own caption.
#pragma once

#include "BaseGUIButton.h"
#include "CaptionLook.h"
#include "StateStrip.h"

#include <classlib/Gdi.h>

// The parts of its skin exist but only the strip is drawn.
class CTabButton : public CBaseGUIButton, public CStateStripSkin, public CCaptionLook {
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

    bool m_bReserved = true;
    COLORREF m_clrDisabled = ~RGB(9, 18, 27);
    // Pressed frame with a white caption.
    bool m_bPushed = false;
};
