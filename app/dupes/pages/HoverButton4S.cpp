#include "HoverButton4S.h"

#include <BitmapSourceDC.h>

#include <classlib/Resources.h>

namespace {
HCURSOR SharedHandCursor() {
    static const HCURSOR cursor = ::LoadCursorW(nullptr, IDC_HAND);
    return cursor;
}
} // namespace

IMPLEMENT_DYNAMIC(CHoverButton4S, CBitmapButton)

BEGIN_MESSAGE_MAP(CHoverButton4S, CBitmapButton)
ON_WM_MOUSEMOVE()
ON_WM_MOUSEHOVER()
ON_WM_MOUSELEAVE()
ON_WM_SETCURSOR()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CHoverButton4S::CHoverButton4S() {
    SharedHandCursor();
}

BOOL CHoverButton4S::LoadStrip(UINT id) {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
    const HBITMAP strip = static_cast<HBITMAP>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (strip == nullptr)
        return FALSE;
    m_strip.Reset(strip);
    BITMAP info{};
    ::GetObjectW(strip, sizeof(info), &info);
    m_nFrameWidth = info.bmWidth / 4;
    m_nFrameHeight = info.bmHeight;
    if (GetSafeHwnd() != nullptr)
        SetWindowPos(nullptr, 0, 0, m_nFrameWidth, m_nFrameHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

int CHoverButton4S::FrameFor(UINT itemState) {
    if (itemState & ODS_DISABLED)
        return 3;
    if (itemState & ODS_SELECTED)
        return 1;
    if (m_bHover) {
        m_bHover = false;
        return 2;
    }
    return m_bKeepHighlighted ? 2 : 0;
}

void CHoverButton4S::DrawItem(LPDRAWITEMSTRUCT dis) {
    const int frame = FrameFor(dis->itemState);
    if (!m_strip)
        return;
    CBitmapSourceDC source(dis->hDC, m_strip.Get());
    if (source.Handle() != nullptr)
        ::BitBlt(dis->hDC, 0, 0, m_nFrameWidth, m_nFrameHeight, source.Handle(),
                 frame * m_nFrameWidth, 0, SRCCOPY);
}

void CHoverButton4S::OnMouseMove(UINT flags, CPoint point) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_bTracking = ::TrackMouseEvent(&track) != FALSE;
    }
    m_hCursor = SharedHandCursor();
    ::SetCursor(m_hCursor);
    CBitmapButton::OnMouseMove(flags, point);
}

void CHoverButton4S::OnMouseHover(UINT, CPoint) {
    m_bHover = true;
    Invalidate();
}

void CHoverButton4S::OnMouseLeave() {
    m_bTracking = false;
    m_bHover = false;
    Invalidate();
    m_hCursor = nullptr;
}

BOOL CHoverButton4S::OnSetCursor(CWnd* window, UINT hitTest, UINT message) {
    if (m_hCursor != nullptr && m_bHandCursor) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CBitmapButton::OnSetCursor(window, hitTest, message);
}

BOOL CHoverButton4S::OnEraseBkgnd(CDC*) {
    return TRUE;
}
