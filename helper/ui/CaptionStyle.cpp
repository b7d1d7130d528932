#include "CaptionStyle.h"

#include "system_info.h"

LONG PrepareCaptionFont(const CaptionStyleInput& input) {
    LOGFONTW& font = *input.font;
    const LONG keptWeight = font.lfWeight;
    font.lfUnderline = FALSE;
    if (input.boldAlways)
        font.lfWeight = FW_BOLD;
    if (input.weight500 && GetOsMajorVersion() > 5)
        font.lfWeight = FW_MEDIUM;
    if (input.hovering) {
        font.lfUnderline = input.underlineOnHover ? TRUE : FALSE;
        if (input.boldOnHover)
            font.lfWeight = FW_BOLD;
    }
    return keptWeight;
}
