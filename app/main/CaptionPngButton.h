// CCaptionPngButton: the large start button: the skin's strip and glyph, and its caption drawn
// beside the glyph (the skin's glyph images carry no text, so each language shows its own).
#pragma once

#include <HoverButtonTextPng.h>

class CCaptionPngButton : public CHoverButtonTextPng {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
};
