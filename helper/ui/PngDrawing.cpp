#include "PngDrawing.h"

#include <objidl.h>

#include <gdiplus.h>

void DrawPngPart(HDC dc, const CGdiPlusBitmap& png, int x, int y, int xSrc, int ySrc, int cx,
                 int cy) {
    if (png.m_pBitmap == nullptr || cx <= 0 || cy <= 0)
        return;
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(png.m_pBitmap, Gdiplus::Rect(x, y, cx, cy), xSrc, ySrc, cx, cy,
                       Gdiplus::UnitPixel);
}

void DrawPngPartFaded(HDC dc, const CGdiPlusBitmap& png, int x, int y, int xSrc, int ySrc, int cx,
                      int cy, float opacity) {
    if (png.m_pBitmap == nullptr || cx <= 0 || cy <= 0)
        return;
    // Each colour channel becomes the pixel's luminance; the alpha is scaled.
    constexpr float r = 0.299f, g = 0.587f, b = 0.114f;
    Gdiplus::ColorMatrix grey = {{{r, r, r, 0, 0},
                                  {g, g, g, 0, 0},
                                  {b, b, b, 0, 0},
                                  {0, 0, 0, opacity, 0},
                                  {0, 0, 0, 0, 1}}};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&grey);
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(png.m_pBitmap, Gdiplus::Rect(x, y, cx, cy), xSrc, ySrc, cx, cy,
                       Gdiplus::UnitPixel, &attributes);
}
