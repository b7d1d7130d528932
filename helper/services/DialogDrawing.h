// What the information dialogs share for painting and texts: outlines, lines and language
// texts whose "%s" slots are filled in order.
#pragma once

#include <windows.h>

#include <initializer_list>

#include <classlib/Gdi.h>
#include <classlib/String.h>

// A one-pixel line from (x1, y) to (x2, y).
void DrawHorizontalLine(CDC* dc, int x1, int x2, int y, COLORREF colour);
// A rounded rectangle's outline (the inside is left as it is).
void DrawRoundedOutline(CDC* dc, const RECT& box, int radius, COLORREF colour);
// Each "%s" of `text` in turn replaced by the next value; no other part of the text is read as
// a format, and a value's own "%s" is left alone.
CString FillTextSlots(const CString& text, std::initializer_list<CString> values);
// A bitmap repeated along a row from x = `from` up to `to`.
void TileBitmapRow(CDC* dc, CBitmap* bitmap, int width, int height, int from, int to, int y);
