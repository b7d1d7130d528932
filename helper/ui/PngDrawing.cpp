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
