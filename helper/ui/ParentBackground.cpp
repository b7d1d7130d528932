#include "ParentBackground.h"

LRESULT PaintParentBackground(CWnd* wnd, CDC* dc, const RECT* clip) {
    if (clip != nullptr) {
        CRgn region;
        if (region.CreateRectRgnIndirect(clip))
            dc->SelectClipRgn(&region); // the context keeps its own copy
    }
    const HWND parent = ::GetParent(wnd->m_hWnd);
    POINT origin{0, 0};
    ::MapWindowPoints(wnd->m_hWnd, parent, &origin, 1);
    POINT previous{};
    ::OffsetWindowOrgEx(dc->m_hDC, origin.x, origin.y, &previous);
    const LRESULT reply =
        ::SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc->m_hDC), 0);
    ::SetWindowOrgEx(dc->m_hDC, previous.x, previous.y, nullptr);
    dc->SelectClipRgn(nullptr);
    return reply;
}
