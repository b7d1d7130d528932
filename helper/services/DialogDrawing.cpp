#include "DialogDrawing.h"

#include "BitmapDrawing.h"

#include <owners/WinOwners.h>

namespace {
// Draws with a solid pen of `colour` selected (and a hollow brush when `hollow`).
template <typename Draw> void WithPen(CDC* dc, COLORREF colour, bool hollow, Draw draw) {
    const HDC target = dc->GetSafeHdc();
    const GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, colour));
    if (!pen)
        return;
    const HGDIOBJ previousPen = ::SelectObject(target, pen.Get());
    const HGDIOBJ previousBrush =
        hollow ? ::SelectObject(target, ::GetStockObject(NULL_BRUSH)) : nullptr;
    draw(target);
    if (previousBrush != nullptr)
        ::SelectObject(target, previousBrush);
    ::SelectObject(target, previousPen);
}
} // namespace

void DrawHorizontalLine(CDC* dc, int x1, int x2, int y, COLORREF colour) {
    WithPen(dc, colour, false, [&](HDC target) {
        ::MoveToEx(target, x1, y, nullptr);
        ::LineTo(target, x2, y);
    });
}

void DrawRoundedOutline(CDC* dc, const RECT& box, int radius, COLORREF colour) {
    WithPen(dc, colour, true, [&](HDC target) {
        ::RoundRect(target, box.left, box.top, box.right, box.bottom, radius, radius);
    });
}

CString FillTextSlots(const CString& text, std::initializer_list<CString> values) {
    CString filled;
    int from = 0;
    for (const CString& value : values) {
        const int at = text.Find(L"%s", from);
        if (at < 0)
            break;
        filled += text.Mid(from, at - from) + value;
        from = at + 2;
    }
    return filled + text.Mid(from);
}

void TileBitmapRow(CDC* dc, CBitmap* bitmap, int width, int height, int from, int to, int y) {
    if (width <= 0)
        return;
    for (int x = from; x < to; x += width)
        DrawBitmap(dc, x, y, width, height, bitmap, SRCCOPY);
}
