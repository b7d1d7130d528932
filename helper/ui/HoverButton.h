// CHoverButton: a skinned push button that draws one frame of a horizontal state strip
// (normal, pressed, hover, disabled), or a stretchable three-part skin.
#pragma once

#include "BaseGUIButton.h"
#include "StateStrip.h"

#include <classlib/Gdi.h>

class CHoverButton : public CBaseGUIButton, public CStateStripSkin {
    DECLARE_DYNAMIC(CHoverButton)
public:
    CHoverButton();
    ~CHoverButton() override;

    // Set m_bHasDisabledState first when the strip holds four frames.
    BOOL LoadBitmap(UINT id);
    BOOL AttachBitmap(HBITMAP strip);
    // Three parts, each holding three frames (normal, pressed, hover) side by side; the
    // button is sized to (width, height). FALSE when a part is missing.
    [[nodiscard]] BOOL LoadBitmaps(UINT leftId, UINT middleId, UINT rightId, int width, int height);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    virtual void DrawThreeParts(LPDRAWITEMSTRUCT dis);

    // Frame order of a state strip.
    enum Frame { kNormal = 0, kPressed = 1, kHover = 2, kDisabled = 3 };

    // Drawn pressed whatever the mouse does.
    bool m_bPushed = false;
};
