// What the side-panel and launcher buttons share: their look at construction, their own font
// at a height, and the launcher's fonts in the UI face.
#pragma once

#include "HyperLinkBtn.h"

// The default font record at `height`, made the button's own font.
void SetOwnFontHeight(CHyperLinkBtn& button, int height);
// Own font of height -13, transparent, the panel's text colour (also when pressed), not
// selected; the hover colour when given.
void StyleSidePanelButton(CHyperLinkBtn& button, const COLORREF* hover);
// The UI face at `height`, weight 0.
LOGFONTW LauncherFont(LONG height, bool underline = false);
