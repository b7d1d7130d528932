// CWndClientRect: a rectangle that starts as a window's client area.
#pragma once

#include <classlib/Geometry.h>
#include <classlib/Window.h>

class CWndClientRect : public CRect {
public:
    explicit CWndClientRect(CWnd* wnd);
    CWndClientRect& operator=(const CWndClientRect& other);
};

// The window's client rectangle.
CRect GetClientRectOf(CWnd* wnd);
