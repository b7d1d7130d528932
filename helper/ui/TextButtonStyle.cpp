#include "TextButtonStyle.h"

#include "UiFonts.h"

namespace {
struct TextButtonLook {
    COLORREF normal, hover, third, fourth, disabled;
    UINT strip, alternateStrip;
};
constexpr TextButtonLook kLight{RGB(252, 252, 255),
                                RGB(252, 252, 255),
                                RGB(252, 252, 255),
                                RGB(252, 252, 255),
                                RGB(158, 164, 167),
                                1021,
                                1074};
constexpr TextButtonLook kDark{RGB(9, 18, 54),
                               RGB(18, 9, 63),
                               RGB(18, 18, 72),
                               RGB(9, 18, 54),
                               RGB(144, 153, 162),
                               1059,
                               1076};
} // namespace

CHoverButtonWithText* StyleTextButton(CHoverButtonWithText* button, bool withDisabledColour,
                                      bool light, bool alternateBitmap) {
    const TextButtonLook& look = light ? kLight : kDark;
    button->m_clrText = look.normal;
    button->m_clrHover = look.hover;
    button->m_clrThird = look.third;
    button->m_clrPressed = look.fourth;
    if (withDisabledColour)
        button->m_clrDisabled = look.disabled;
    button->m_bUseDisabledColor = withDisabledColour;
    if (!light)
        button->m_bBoldAlways = true;
    button->m_bWeight500 = !light;
    // The skin's text-button strips hold four frames: cut in three, a hovered button would
    // show half its pressed and half its disabled frame.
    button->m_bHasDisabledState = true;
    button->LoadBitmap(alternateBitmap ? look.alternateStrip : look.strip);
    GetDefaultLogFont(&button->m_logFont);
    button->m_logFont.lfWeight = FW_BOLD;
    return button;
}
