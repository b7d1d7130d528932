#include "BitmapDrawing.h"

#include "BitmapSourceDC.h"
#include "STBitmap.h"

#include <classlib/Resources.h>
#include <owners/WinOwners.h>

namespace {
constexpr UINT kFixedBitmapId = 1088;

// Selects the bitmap into a memory context compatible with `dc` for one blit.
template <typename Blit> void WithBitmapSelected(CDC* dc, CBitmap* bitmap, Blit blit) {
    const CBitmapSourceDC source(dc->m_hDC, static_cast<HBITMAP>(bitmap->m_hObject));
    if (source.Handle() != nullptr)
        blit(source.Handle());
}
} // namespace

void DrawBitmap(CDC* dc, int x, int y, int cx, int cy, CBitmap* bitmap, DWORD rop) {
    WithBitmapSelected(dc, bitmap,
                       [&](HDC memory) { ::BitBlt(dc->m_hDC, x, y, cx, cy, memory, 0, 0, rop); });
}

void DrawBitmapRepeated(CDC* dc, int x, int y, int cx, int cy, CBitmap* bitmap, int stepX,
                        int stepY, int count, DWORD rop) {
    if (count <= 0)
        return;
    WithBitmapSelected(dc, bitmap, [&](HDC memory) {
        for (int i = 0; i < count; ++i)
            ::BitBlt(dc->m_hDC, x + i * stepX, y + i * stepY, cx, cy, memory, 0, 0, rop);
    });
}

int RepeatCount(int from, int limit, int step) {
    if (step <= 0 || limit <= from)
        return 0;
    return (limit - from + step - 1) / step;
}

void DrawBitmapStretched(CDC* dc, int xDest, int yDest, int cxDest, int cyDest, int xSrc, int ySrc,
                         int cxSrc, int cySrc, CBitmap* bitmap, DWORD rop) {
    WithBitmapSelected(dc, bitmap, [&](HDC memory) {
        ::StretchBlt(dc->m_hDC, xDest, yDest, cxDest, cyDest, memory, xSrc, ySrc, cxSrc, cySrc,
                     rop);
    });
}

void DrawBitmapPart(CDC* dc, int x, int y, int xSrc, int ySrc, int cx, int cy, CBitmap* bitmap,
                    DWORD rop) {
    WithBitmapSelected(dc, bitmap, [&](HDC memory) {
        ::BitBlt(dc->m_hDC, x, y, cx, cy, memory, xSrc, ySrc, rop);
    });
}

bool LoadBitmapWithSize(UINT id, CBitmap* bitmap, int* width, int* height) {
    *width = 0;
    *height = 0;
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
    GdiObject<HBITMAP> loaded(::LoadBitmapW(module, MAKEINTRESOURCEW(id)));
    // Refused when the object already holds a bitmap: the loaded one is freed then.
    if (!bitmap->Attach(loaded.Get()))
        return false;
    static_cast<void>(loaded.Release());
    BITMAP info{};
    if (bitmap->GetBitmap(&info) == 0)
        return false;
    *width = info.bmWidth;
    *height = info.bmHeight;
    return true;
}

void CFixedBitmapPainter::PaintFixedBitmap(CDC* dc, int x, int y) {
    CSTBitmap bitmap(kFixedBitmapId);
    if (bitmap.m_hObject != nullptr)
        DrawBitmap(dc, x, y, bitmap.GetWidth(), bitmap.GetHeight(), &bitmap, SRCCOPY);
}
