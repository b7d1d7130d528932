#include "HoverButtonTextPng.h"

#include "ProductIdentity.h"

#include <objidl.h>

#include <gdiplus.h>

IMPLEMENT_DYNAMIC(CHoverButtonTextPng, CHoverButton)

CHoverButtonTextPng::CHoverButtonTextPng() {
    m_bSelected = false;
}

CHoverButtonTextPng::~CHoverButtonTextPng() = default;

BOOL CHoverButtonTextPng::LoadPng(UINT id) {
    m_nPngId = id;
    return m_png.Load(id, L"PNG", GetResourceInstance());
}

void CHoverButtonTextPng::DrawItem(LPDRAWITEMSTRUCT dis) {
    CHoverButton::DrawItem(dis);
    RECT rect = dis->rcItem;
    rect.left += 1;
    DrawPng(dis->hDC, &rect, 0);
}

void CHoverButtonTextPng::DrawPng(HDC dc, const RECT* rect, int frame) {
    if (m_png.m_pBitmap == nullptr)
        return;
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(m_png.m_pBitmap, Gdiplus::Rect(0, 0, width, height), frame * width, 0, width,
                       height, Gdiplus::UnitPixel);
}
