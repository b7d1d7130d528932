#include "classlib/Gdi.h"

#include "classlib/Resources.h"
#include "classlib/Window.h"
#include "WindowState.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

// ---- GDI objects ----

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (hObject == nullptr || m_hObject != nullptr)
        return FALSE;
    m_hObject = hObject;
    AfxGdiMap().Add(hObject, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h != nullptr)
        AfxGdiMap().Remove(h, this);
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    HGDIOBJ h = Detach();
    return h != nullptr && ::DeleteObject(h);
}

BOOL CGdiObject::CreateStockObject(int nIndex) {
    // Stock objects are shared: keep them out of the map, never delete them.
    if (m_hObject != nullptr)
        return FALSE;
    m_hObject = ::GetStockObject(nIndex);
    return m_hObject != nullptr;
}

namespace {
template <class T> T* TemporaryGdi(HGDIOBJ hObject) {
    auto& slot = AfxGetThreadState().tempGdi[hObject];
    if (!slot) {
        slot = std::make_unique<T>();
        slot->m_hObject = hObject;
    }
    return static_cast<T*>(slot.get());
}
} // namespace

CGdiObject* CGdiObject::FromHandle(HGDIOBJ hObject) {
    if (hObject == nullptr)
        return nullptr;
    if (CGdiObject* p = AfxGdiMap().Lookup(hObject))
        return p;
    auto& temps = AfxGetThreadState().tempGdi;
    if (auto it = temps.find(hObject); it != temps.end())
        return it->second.get();
    switch (::GetObjectType(hObject)) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return TemporaryGdi<CPen>(hObject);
    case OBJ_BRUSH:
        return TemporaryGdi<CBrush>(hObject);
    case OBJ_FONT:
        return TemporaryGdi<CFont>(hObject);
    case OBJ_BITMAP:
        return TemporaryGdi<CBitmap>(hObject);
    case OBJ_REGION:
        return TemporaryGdi<CRgn>(hObject);
    default:
        return TemporaryGdi<CGdiObject>(hObject);
    }
}

CPen* CPen::FromHandle(HPEN h) {
    return static_cast<CPen*>(CGdiObject::FromHandle(h));
}
CBrush* CBrush::FromHandle(HBRUSH h) {
    return static_cast<CBrush*>(CGdiObject::FromHandle(h));
}
CFont* CFont::FromHandle(HFONT h) {
    return static_cast<CFont*>(CGdiObject::FromHandle(h));
}
CBitmap* CBitmap::FromHandle(HBITMAP h) {
    return static_cast<CBitmap*>(CGdiObject::FromHandle(h));
}
CRgn* CRgn::FromHandle(HRGN h) {
    return static_cast<CRgn*>(CGdiObject::FromHandle(h));
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, lpszFaceName, LF_FACESIZE);
    HDC hDC = pDC ? pDC->m_hDC : ::GetDC(nullptr);
    lf.lfHeight = -MulDiv(nPointSize, ::GetDeviceCaps(hDC, LOGPIXELSY), 720);
    if (pDC == nullptr)
        ::ReleaseDC(nullptr, hDC);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(LPCWSTR lpszResourceName) {
    HINSTANCE hInst = AfxFindResourceHandle(lpszResourceName, RT_BITMAP);
    return Attach(::LoadBitmapW(hInst, lpszResourceName));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return LoadBitmap(MAKEINTRESOURCEW(nIDResource));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

CSize CBitmap::GetBitmapDimension() const {
    SIZE size{};
    ::GetBitmapDimensionEx(static_cast<HBITMAP>(m_hObject), &size);
    return size;
}

// ---- device contexts ----

CDC::~CDC() {
    if (m_hDC != nullptr)
        DeleteDC();
}

CDC* CDC::FromHandle(HDC hDC) {
    if (hDC == nullptr)
        return nullptr;
    if (CDC* p = AfxDCMap().Lookup(hDC))
        return p;
    auto& slot = AfxGetThreadState().tempDCs[hDC];
    if (!slot) {
        slot = std::make_unique<CDC>();
        slot->m_hDC = slot->m_hAttribDC = hDC;
    }
    return slot.get();
}

CDC* xarn_msgmap::DCFromHandle(HDC hDC) {
    return CDC::FromHandle(hDC);
}

BOOL CDC::Attach(HDC hDC) {
    if (hDC == nullptr || m_hDC != nullptr)
        return FALSE;
    m_hDC = m_hAttribDC = hDC;
    AfxDCMap().Add(hDC, this);
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    if (h != nullptr)
        AfxDCMap().Remove(h, this);
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::DeleteDC() {
    HDC h = Detach();
    return h != nullptr && ::DeleteDC(h);
}

CWnd* CDC::GetWindow() const {
    return CWnd::FromHandle(::WindowFromDC(m_hDC));
}

CGdiObject* CDC::SelectObject(HGDIOBJ hObject) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, hObject));
}

CPen* CDC::SelectObject(CPen* pPen) {
    return static_cast<CPen*>(SelectObject(pPen->m_hObject));
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    return static_cast<CBrush*>(SelectObject(pBrush->m_hObject));
}

CFont* CDC::SelectObject(CFont* pFont) {
    return static_cast<CFont*>(SelectObject(pFont->m_hObject));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return static_cast<CBitmap*>(SelectObject(pBitmap->m_hObject));
}

CGdiObject* CDC::SelectStockObject(int nIndex) {
    return SelectObject(::GetStockObject(nIndex));
}

CFont* CDC::GetCurrentFont() const {
    return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT)));
}

CBitmap* CDC::GetCurrentBitmap() const {
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
    COLORREF previous = ::SetBkColor(m_hDC, clr);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, lpRect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF clr) {
    RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, clr);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
    FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF clrTopLeft, COLORREF clrBottomRight) {
    Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, clrTopLeft, clrBottomRight);
}

BOOL CDC::TransparentBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                         int nSrcWidth, int nSrcHeight, UINT clrTransparent) {
    return ::TransparentBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC->m_hDC, xSrc, ySrc, nSrcWidth,
                            nSrcHeight, clrTransparent);
}

BOOL CDC::AlphaBlend(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, BLENDFUNCTION blend) {
    return ::AlphaBlend(m_hDC, x, y, nWidth, nHeight, pSrcDC->m_hDC, xSrc, ySrc, nSrcWidth,
                        nSrcHeight, blend);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(CWnd::HandleOf(pWnd)) {
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(CWnd::HandleOf(pWnd)) {
    Attach(::GetWindowDC(m_hWnd));
}

CWindowDC::~CWindowDC() {
    ::ReleaseDC(m_hWnd, Detach());
}
