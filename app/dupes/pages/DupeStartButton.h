// CDupeStartButton: the welcome page's large start button: the skin's button with its glyph,
// and its caption written beside the glyph.
#pragma once

#include <HoverButtonTextPng.h>

class CDupeStartButton : public CHoverButtonTextPng {
public:
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
};
