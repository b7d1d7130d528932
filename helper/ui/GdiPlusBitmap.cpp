#include "GdiPlusBitmap.h"

#include <objidl.h>

#include <gdiplus.h>

CGdiPlusBitmap::CGdiPlusBitmap() = default;

CGdiPlusBitmap::CGdiPlusBitmap(LPCWSTR file) {
    (void)Load(file);
}

CGdiPlusBitmap::~CGdiPlusBitmap() {
    Clear();
}

BOOL CGdiPlusBitmap::Load(LPCWSTR file) {
    Clear();
    m_pBitmap = Gdiplus::Bitmap::FromFile(file, FALSE);
    return m_pBitmap != nullptr && m_pBitmap->GetLastStatus() == Gdiplus::Ok;
}

void CGdiPlusBitmap::Clear() {
    delete m_pBitmap;
    m_pBitmap = nullptr;
}
