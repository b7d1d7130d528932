// CMyHoverButton: a four-frame state-strip button with an optional icon strip and a caption.
#pragma once

#include "HoverButton.h"

#include <classlib/String.h>

class CMyHoverButton : public CHoverButton {
    DECLARE_DYNAMIC(CMyHoverButton)
public:
    CMyHoverButton();
    ~CMyHoverButton() override;

    BOOL LoadBitmapAndText(UINT id, CString caption);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    CString m_strCaption;
    bool m_bReserved = true;
    // Frames side by side like the strip's; the owner supplies it.
    CBitmap m_bmpIcon;
    int m_nIconWidth = 0;
    int m_nIconHeight = 0;
    bool m_bSpare = false;
    // This class's own pushed flag: drawn pressed whatever the mouse does.
    bool m_bPushed = false;
};
