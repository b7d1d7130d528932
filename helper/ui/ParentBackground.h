// Painting what a control's parent draws behind the control, for controls that look
// transparent on a skinned page.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>
#include <classlib/Window.h>

// Sends the parent WM_ERASEBKGND with `dc`'s origin moved to `wnd`'s place, clipped to `clip`
// when given; the clip region is none afterwards. Returns the parent's reply.
LRESULT PaintParentBackground(CWnd* wnd, CDC* dc, const RECT* clip);
