// The shared blit helpers: a bitmap into a device context at its size, stretched, or a part.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>

void DrawBitmap(CDC* dc, int x, int y, int cx, int cy, CBitmap* bitmap, DWORD rop);
void DrawBitmapStretched(CDC* dc, int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc,
                         int cxSrc, int cySrc, CBitmap* bitmap, DWORD rop);
// Copies the bitmap's top-left cx × cy pixels to `count` places, the first at (x, y) and each
// next (stepX, stepY) further on, with the bitmap selected once: edges and bars tiled piece by
// piece cost one copy per piece, not a memory context each.
void DrawBitmapRepeated(CDC* dc, int x, int y, int cx, int cy, CBitmap* bitmap, int stepX,
                        int stepY, int count, DWORD rop = SRCCOPY);
// How many steps of `step` from `from` stay below `limit` (the places `for (v = from; v <
// limit; v += step)` visits); 0 for a step that is not positive.
int RepeatCount(int from, int limit, int step);
// Note the order: the source position comes before the size.
void DrawBitmapPart(CDC* dc, int x, int y, int xSrc, int ySrc, int cx, int cy, CBitmap* bitmap,
                    DWORD rop);
// False with width and height 0 when the resource cannot be loaded.
[[nodiscard]] bool LoadBitmapWithSize(UINT id, CBitmap* bitmap, int* width, int* height);

// Draws the fixed bitmap resource 1088 at its own size.
class CFixedBitmapPainter {
public:
    void PaintFixedBitmap(CDC* dc, int x, int y);
};
