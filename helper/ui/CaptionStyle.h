// The caption look shared by the text buttons: colour, weight and underline from the state.
#pragma once

#include <windows.h>

struct CaptionStyleInput {
    LOGFONTW* font; // the button's record; its weight is kept, its underline cleared
    bool boldAlways;
    bool weight500;
    bool hovering; // hovering or selected
    bool boldOnHover;
    bool underlineOnHover;
};

// Fills `font` for drawing the caption and returns the weight to put back afterwards.
LONG PrepareCaptionFont(const CaptionStyleInput& input);
// The shadow colour drawn one pixel down and right of a caption.
constexpr COLORREF kCaptionShadowColour = RGB(189, 198, 207);
