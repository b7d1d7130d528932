// What the result screens draw and place alike: their text buttons, the headline in its
// frame, and the buttons' places along the bottom edge.
#pragma once

#include <windows.h>

#include <DlgBaseWnd.h>
#include <HoverButtonWithText.h>
#include <classlib/Gdi.h>
#include <classlib/String.h>

// The light look (strip 1074) or the dark one (strip 1076), with its caption.
void StyleResultButton(CDlgBaseWnd& page, CHoverButtonWithText& button, bool light,
                       const CString& caption);
// 120 x 28, 40 pixels above the bottom edge, its left edge `fromRight` left of the right edge.
void PlaceResultButton(CWnd& button, int cx, int cy, int fromRight);
// Text word-wrapped in the rectangle, in its colour, in the headline's font.
void DrawResultText(CDC& dc, const CString& text, COLORREF colour, const CRect& textRect);
// The panel frame at (x, y) and the headline word-wrapped in `textRect` in its colour.
void DrawResultHeadline(CDC& dc, int x, int y, bool highlighted, const CString& text,
                        COLORREF colour, const CRect& textRect);
