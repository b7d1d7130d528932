// CSkinPaintDC: the paint of a skinned window in one owner. It begins the paint, takes the
// window's client rectangle and is an off-screen context over it, filled with the background;
// when it goes out of scope the picture reaches the window in one blit and the paint ends.
#pragma once

#include <windows.h>

#include "SkinMemDC.h"

#include <classlib/Gdi.h>
#include <classlib/Window.h>

namespace skin_paint {
// A base of its own so that the paint begins before the off-screen context is made and ends
// only after the context has been copied back.
struct BegunPaint {
    explicit BegunPaint(CWnd* window) : screen(window) { window->GetClientRect(&clientRect); }
    CPaintDC screen;
    CRect clientRect;
};
} // namespace skin_paint

class CSkinPaintDC : private skin_paint::BegunPaint, public CSkinMemDC {
public:
    explicit CSkinPaintDC(CWnd* window, COLORREF background = RGB(255, 255, 255))
        : BegunPaint(window), CSkinMemDC(&screen, clientRect, background) {}
    CSkinPaintDC(const CSkinPaintDC&) = delete;
    CSkinPaintDC& operator=(const CSkinPaintDC&) = delete;

    // The window's client rectangle, which the context covers.
    const CRect& Client() const { return clientRect; }
};
