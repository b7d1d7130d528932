#include "SidePanelLook.h"

#include "UiFonts.h"

void SetOwnFontHeight(CHyperLinkBtn& button, int height) {
    LOGFONTW font{};
    GetDefaultLogFont(&font);
    font.lfHeight = height;
    button.SetLogFont(&font);
}

void StyleSidePanelButton(CHyperLinkBtn& button, const COLORREF* hover) {
    SetOwnFontHeight(button, -13);
    button.m_bTransparent = true;
    button.m_clrText = RGB(18, 45, 54);
    if (hover != nullptr)
        button.m_clrHover = *hover;
    button.m_clrPressed = button.m_clrText;
    button.m_bSelected = false;
}

LOGFONTW LauncherFont(LONG height, bool underline) {
    LOGFONTW font{};
    GetDefaultLogFont(&font);
    lstrcpynW(font.lfFaceName, GetUIFontFace(), LF_FACESIZE);
    font.lfWeight = 0;
    font.lfHeight = height;
    font.lfUnderline = underline ? TRUE : FALSE;
    return font;
}
