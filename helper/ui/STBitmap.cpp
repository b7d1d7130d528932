#include "STBitmap.h"

#include <classlib/Resources.h>

CSTBitmap::CSTBitmap() = default;

CSTBitmap::~CSTBitmap() = default;

CSTBitmap::CSTBitmap(UINT id) {
    LoadBitmap(id);
}

BOOL CSTBitmap::LoadBitmap(UINT id) {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
    const HBITMAP loaded = ::LoadBitmapW(module, MAKEINTRESOURCEW(id));
    const BOOL attached = Attach(loaded);
    if (!attached && loaded != nullptr)
        ::DeleteObject(loaded); // the object already holds a bitmap
    BITMAP info{};
    if (m_hObject != nullptr && GetBitmap(&info) != 0) {
        m_nHeight = info.bmHeight;
        m_nWidth = info.bmWidth;
    }
    return attached;
}
