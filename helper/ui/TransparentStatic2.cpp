#include "TransparentStatic2.h"

#include "BitmapSourceDC.h"

IMPLEMENT_DYNAMIC(CTransparentStatic2, CStatic)

BEGIN_MESSAGE_MAP(CTransparentStatic2, CStatic)
ON_MESSAGE(WM_SETTEXT, &CTransparentStatic2::OnSetText)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CTransparentStatic2::CTransparentStatic2() = default;

CTransparentStatic2::~CTransparentStatic2() = default;

LRESULT CTransparentStatic2::OnSetText(WPARAM, LPARAM) {
    const LRESULT result = Default();
    Invalidate(TRUE);
    UpdateWindow();
    return result;
}

HBRUSH CTransparentStatic2::CtlColor(CDC*, UINT) {
    return nullptr;
}

BOOL CTransparentStatic2::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    if (m_bmpBackground.m_hObject != nullptr) {
        const CBitmapSourceDC snapshot(dc->m_hDC, static_cast<HBITMAP>(m_bmpBackground.m_hObject));
        if (snapshot.Handle() != nullptr)
            ::BitBlt(dc->m_hDC, 0, 0, client.Width(), client.Height(), snapshot.Handle(), 0, 0,
                     SRCCOPY);
        return FALSE;
    }
    const HWND parent = ::GetParent(m_hWnd);
    CRect rect;
    GetWindowRect(&rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    if (const HDC parentDC = ::GetDC(parent); parentDC != nullptr) {
        if (m_bmpBackground.Attach(
                ::CreateCompatibleBitmap(parentDC, rect.Width(), rect.Height()))) {
            const CBitmapSourceDC snapshot(parentDC,
                                           static_cast<HBITMAP>(m_bmpBackground.m_hObject));
            ::BitBlt(snapshot.Handle(), 0, 0, rect.Width(), rect.Height(), parentDC, rect.left,
                     rect.top, SRCCOPY);
        }
        ::ReleaseDC(parent, parentDC);
    }
    Invalidate(TRUE);
    return FALSE;
}
