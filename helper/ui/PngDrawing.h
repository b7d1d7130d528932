// Drawing a decoded PNG (or a part of it) into a device context with its alpha.
#pragma once

#include "GdiPlusBitmap.h"

#include <windows.h>

// The source part (xSrc, ySrc, cx, cy) of the image to (x, y) at the same size; nothing for an
// empty image or an empty size.
void DrawPngPart(HDC dc, const CGdiPlusBitmap& png, int x, int y, int xSrc, int ySrc, int cx,
                 int cy);
// The same part washed out to grey at `opacity` (0 to 1): the look of a disabled control.
void DrawPngPartFaded(HDC dc, const CGdiPlusBitmap& png, int x, int y, int xSrc, int ySrc, int cx,
                      int cy, float opacity);
