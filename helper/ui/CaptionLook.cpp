#include "CaptionLook.h"

#include "SystemInfo.h"
#include "UiFonts.h"

CCaptionLook::CCaptionLook() {
    GetDefaultLogFont(&m_logFont);
}

LOGFONTW CCaptionLook::StateFont(bool hovering) {
    m_logFont.lfUnderline = hovering && m_bUnderlineOnHover ? TRUE : FALSE;
    LOGFONTW font = m_logFont;
    if (m_bBoldAlways)
        font.lfWeight = FW_BOLD;
    if (m_bWeight500 && GetOsMajorVersion() > 5)
        font.lfWeight = FW_MEDIUM;
    if (hovering && m_bBoldOnHover)
        font.lfWeight = FW_BOLD;
    return font;
}

UINT CCaptionLook::Place(CRect& rect) const {
    if (m_nCaptionX == -1)
        return DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    rect.left = m_nCaptionX;
    rect.top = m_nCaptionY;
    return DT_SINGLELINE;
}
