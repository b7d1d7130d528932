// CHoverButtonTextPng: a state-strip button with a PNG image drawn over every state.
#pragma once

#include "GdiPlusBitmapResource.h"
#include "HoverButton.h"

class CHoverButtonTextPng : public CHoverButton {
    DECLARE_DYNAMIC(CHoverButtonTextPng)
public:
    CHoverButtonTextPng();
    ~CHoverButtonTextPng() override;

    // From the resource library; FALSE leaves only the strip drawn.
    BOOL LoadPng(UINT id);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    // Frame `frame` of the PNG (frames as wide as the rectangle) to (0, 0) of `dc`.
    void DrawPng(HDC dc, const RECT* rect, int frame);

    CGdiPlusBitmapResource m_png;
    UINT m_nPngId = 0;
};
