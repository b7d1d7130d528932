// The skin's two looks of a text button: light text on the dark strip or dark text on the
// light one.
#pragma once

#include "HoverButtonWithText.h"

// Colours, weight and state strip of one look; the strip is loaded and the caption font made
// bold. Returns the button.
CHoverButtonWithText* StyleTextButton(CHoverButtonWithText* button, bool withDisabledColour,
                                      bool light, bool alternateBitmap);
