// Drawing objects and device contexts: CGdiObject (CPen, CBrush, CFont, CBitmap, CRgn) and
// CDC (CPaintDC, CClientDC, CWindowDC).
//
// An object owns its handle: the destructor deletes it unless it was detached. FromHandle
// gives the attached object or a temporary wrapper that lives until the thread is next idle
// (and never deletes the handle).
#pragma once

#include <windows.h>

#include "Geometry.h"
#include "Object.h"
#include "String.h"

class CWnd;

class XARN_CLASSLIB_API CGdiObject : public CObject {
    DECLARE_DYNCREATE(CGdiObject)
public:
    CGdiObject() = default;
    ~CGdiObject() override;
    HGDIOBJ m_hObject = nullptr;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // The attached object, or a temporary of the class that matches the handle's type.
    static CGdiObject* FromHandle(HGDIOBJ hObject);
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const {
        return ::GetObjectW(m_hObject, nCount, lpObject);
    }
    BOOL CreateStockObject(int nIndex);
};

class XARN_CLASSLIB_API CPen : public CGdiObject {
    DECLARE_DYNAMIC(CPen)
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    static CPen* FromHandle(HPEN hPen);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
        return Attach(::CreatePen(nPenStyle, nWidth, crColor));
    }
};

class XARN_CLASSLIB_API CBrush : public CGdiObject {
    DECLARE_DYNAMIC(CBrush)
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    static CBrush* FromHandle(HBRUSH hBrush);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
    BOOL CreatePatternBrush(CGdiObject* pBitmap) {
        return Attach(::CreatePatternBrush(static_cast<HBITMAP>(pBitmap->m_hObject)));
    }
    BOOL CreateSysColorBrush(int nIndex) { return Attach(::GetSysColorBrush(nIndex)); }
};

class XARN_CLASSLIB_API CFont : public CGdiObject {
    DECLARE_DYNAMIC(CFont)
public:
    CFont() = default;
    static CFont* FromHandle(HFONT hFont);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTW* lpLogFont) {
        return Attach(::CreateFontIndirectW(lpLogFont));
    }
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCWSTR lpszFacename) {
        return Attach(::CreateFontW(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic,
                                    bUnderline, cStrikeOut, nCharSet, nOutPrecision, nClipPrecision,
                                    nQuality, nPitchAndFamily, lpszFacename));
    }
    // nPointSize is in tenths of a point, for the screen (or pDC).
    BOOL CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, class CDC* pDC = nullptr);
    int GetLogFont(LOGFONTW* pLogFont) const { return GetObject(sizeof(LOGFONTW), pLogFont); }
};

class XARN_CLASSLIB_API CBitmap : public CGdiObject {
    DECLARE_DYNAMIC(CBitmap)
public:
    CBitmap() = default;
    static CBitmap* FromHandle(HBITMAP hBitmap);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    // From the module that holds the bitmap resource (AfxFindResourceHandle).
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(LPCWSTR lpszResourceName);
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits) {
        return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitcount, lpBits));
    }
    BOOL CreateCompatibleBitmap(class CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) const { return GetObject(sizeof(BITMAP), pBitMap); }
    CSize GetBitmapDimension() const;
};

class XARN_CLASSLIB_API CRgn : public CGdiObject {
    DECLARE_DYNAMIC(CRgn)
public:
    CRgn() = default;
    static CRgn* FromHandle(HRGN hRgn);
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
    BOOL CreateRectRgn(int x1, int y1, int x2, int y2) {
        return Attach(::CreateRectRgn(x1, y1, x2, y2));
    }
    BOOL CreateRectRgnIndirect(LPCRECT lpRect) { return Attach(::CreateRectRgnIndirect(lpRect)); }
    BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
        return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
    }
    BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2) {
        return Attach(::CreateEllipticRgn(x1, y1, x2, y2));
    }
    BOOL CreatePolygonRgn(const POINT* lpPoints, int nCount, int nMode) {
        return Attach(::CreatePolygonRgn(lpPoints, nCount, nMode));
    }
    int CombineRgn(const CRgn* pRgn1, const CRgn* pRgn2, int nCombineMode) {
        return ::CombineRgn(static_cast<HRGN>(m_hObject), static_cast<HRGN>(pRgn1->m_hObject),
                            pRgn2 ? static_cast<HRGN>(pRgn2->m_hObject) : nullptr, nCombineMode);
    }
    void SetRectRgn(int x1, int y1, int x2, int y2) {
        ::SetRectRgn(static_cast<HRGN>(m_hObject), x1, y1, x2, y2);
    }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(static_cast<HRGN>(m_hObject), x, y); }
    int OffsetRgn(int x, int y) { return ::OffsetRgn(static_cast<HRGN>(m_hObject), x, y); }
    int GetRgnBox(LPRECT lpRect) const { return ::GetRgnBox(static_cast<HRGN>(m_hObject), lpRect); }
};

class XARN_CLASSLIB_API CDC : public CObject {
    DECLARE_DYNCREATE(CDC)
public:
    CDC() = default;
    ~CDC() override;
    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    static CDC* FromHandle(HDC hDC);
    BOOL Attach(HDC hDC);
    HDC Detach();
    BOOL DeleteDC();
    BOOL CreateCompatibleDC(CDC* pDC) {
        return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
    }
    BOOL CreateDC(LPCWSTR lpszDriverName, LPCWSTR lpszDeviceName, LPCWSTR lpszOutput,
                  const void* lpInitData) {
        return Attach(::CreateDCW(lpszDriverName, lpszDeviceName, lpszOutput,
                                  static_cast<const DEVMODEW*>(lpInitData)));
    }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(m_hDC, nSavedDC); }
    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hDC, nIndex); }
    // Whether the context draws on a printer.
    BOOL IsPrinting() const {
        return m_hDC != nullptr && ::GetDeviceCaps(m_hDC, TECHNOLOGY) == DT_RASPRINTER;
    }
    CWnd* GetWindow() const;

    // ---- selection ----
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    CBitmap* SelectObject(CBitmap* pBitmap);
    int SelectObject(CRgn* pRgn) {
        return static_cast<int>(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, pRgn->m_hObject)));
    }
    CGdiObject* SelectObject(HGDIOBJ hObject);
    CGdiObject* SelectStockObject(int nIndex);
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // ---- attributes ----
    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetROP2(int nDrawMode) { return ::SetROP2(m_hDC, nDrawMode); }
    int SetStretchBltMode(int nStretchMode) { return ::SetStretchBltMode(m_hDC, nStretchMode); }
    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
    UINT SetTextAlign(UINT nFlags) { return ::SetTextAlign(m_hDC, nFlags); }
    CPoint SetViewportOrg(int x, int y) {
        POINT old{};
        ::SetViewportOrgEx(m_hDC, x, y, &old);
        return old;
    }
    CPoint SetWindowOrg(int x, int y) {
        POINT old{};
        ::SetWindowOrgEx(m_hDC, x, y, &old);
        return old;
    }
    CPoint GetViewportOrg() const {
        POINT p{};
        ::GetViewportOrgEx(m_hDC, &p);
        return p;
    }

    // ---- clipping ----
    int SelectClipRgn(CRgn* pRgn) {
        return ::SelectClipRgn(m_hDC, pRgn ? static_cast<HRGN>(pRgn->m_hObject) : nullptr);
    }
    int IntersectClipRect(int x1, int y1, int x2, int y2) {
        return ::IntersectClipRect(m_hDC, x1, y1, x2, y2);
    }
    int IntersectClipRect(LPCRECT r) {
        return IntersectClipRect(r->left, r->top, r->right, r->bottom);
    }
    int ExcludeClipRect(int x1, int y1, int x2, int y2) {
        return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2);
    }
    int ExcludeClipRect(LPCRECT r) { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
    int GetClipBox(LPRECT lpRect) const { return ::GetClipBox(m_hDC, lpRect); }

    // ---- lines and shapes ----
    CPoint MoveTo(int x, int y) {
        POINT old{};
        ::MoveToEx(m_hDC, x, y, &old);
        return old;
    }
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return ::LineTo(m_hDC, p.x, p.y); }
    BOOL Polyline(const POINT* lpPoints, int nCount) { return ::Polyline(m_hDC, lpPoints, nCount); }
    BOOL Polygon(const POINT* lpPoints, int nCount) { return ::Polygon(m_hDC, lpPoints, nCount); }
    BOOL Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
    BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
        return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
    }
    BOOL RoundRect(LPCRECT r, POINT p) {
        return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, p.x, p.y);
    }
    BOOL Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
    BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
    BOOL Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
        return ::Pie(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
    }
    void FillRect(LPCRECT lpRect, CBrush* pBrush) {
        ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
    }
    void FillSolidRect(LPCRECT lpRect, COLORREF clr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF clr);
    void FrameRect(LPCRECT lpRect, CBrush* pBrush) {
        ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
    }
    void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags) {
        return ::DrawEdge(m_hDC, lpRect, nEdge, nFlags);
    }
    BOOL DrawFrameControl(LPRECT lpRect, UINT nType, UINT nState) {
        return ::DrawFrameControl(m_hDC, lpRect, nType, nState);
    }
    void DrawFocusRect(LPCRECT lpRect) { ::DrawFocusRect(m_hDC, lpRect); }
    BOOL FillRgn(CRgn* pRgn, CBrush* pBrush) {
        return ::FillRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject),
                         static_cast<HBRUSH>(pBrush->m_hObject));
    }
    BOOL FrameRgn(CRgn* pRgn, CBrush* pBrush, int nWidth, int nHeight) {
        return ::FrameRgn(m_hDC, static_cast<HRGN>(pRgn->m_hObject),
                          static_cast<HBRUSH>(pBrush->m_hObject), nWidth, nHeight);
    }
    COLORREF SetPixel(int x, int y, COLORREF crColor) { return ::SetPixel(m_hDC, x, y, crColor); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    BOOL DrawIcon(POINT p, HICON hIcon) { return ::DrawIcon(m_hDC, p.x, p.y, hIcon); }

    // ---- bitmaps ----
    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop) {
        return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc, ySrc,
                        dwRop);
    }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop) {
        return ::StretchBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->m_hDC : nullptr, xSrc,
                            ySrc, nSrcWidth, nSrcHeight, dwRop);
    }
    BOOL TransparentBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                        int nSrcWidth, int nSrcHeight, UINT clrTransparent);
    BOOL AlphaBlend(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, BLENDFUNCTION blend);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
        return ::PatBlt(m_hDC, x, y, nWidth, nHeight, dwRop);
    }

    // ---- text ----
    BOOL TextOut(int x, int y, LPCWSTR lpszString, int nCount) {
        return ::TextOutW(m_hDC, x, y, lpszString, nCount);
    }
    BOOL TextOut(int x, int y, const CString& str) {
        return ::TextOutW(m_hDC, x, y, str, str.GetLength());
    }
    BOOL ExtTextOut(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString, UINT nCount,
                    const INT* lpDxWidths) {
        return ::ExtTextOutW(m_hDC, x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
    }
    int DrawText(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
        return ::DrawTextW(m_hDC, lpszString, nCount, lpRect, nFormat);
    }
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
        return ::DrawTextW(m_hDC, str, str.GetLength(), lpRect, nFormat);
    }
    CSize GetTextExtent(LPCWSTR lpszString, int nCount) const {
        SIZE s{};
        ::GetTextExtentPoint32W(m_hDC, lpszString, nCount, &s);
        return s;
    }
    CSize GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }
    BOOL GetTextMetrics(LPTEXTMETRICW lpMetrics) const {
        return ::GetTextMetricsW(m_hDC, lpMetrics);
    }
};

// BeginPaint/EndPaint for the window's WM_PAINT.
class XARN_CLASSLIB_API CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

protected:
    HWND m_hWnd;
};

// GetDC/ReleaseDC of the window's client area (or the screen for a null window).
class XARN_CLASSLIB_API CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    HWND m_hWnd;
};

// GetWindowDC/ReleaseDC of the whole window.
class XARN_CLASSLIB_API CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

protected:
    HWND m_hWnd;
};
