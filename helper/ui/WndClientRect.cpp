#include "WndClientRect.h"

CWndClientRect::CWndClientRect(CWnd* wnd) {
    ::GetClientRect(wnd->m_hWnd, this);
}

CWndClientRect& CWndClientRect::operator=(const CWndClientRect& other) {
    left = other.left;
    top = other.top;
    right = other.right;
    bottom = other.bottom;
    return *this;
}

CRect GetClientRectOf(CWnd* wnd) {
    return CWndClientRect(wnd);
}
