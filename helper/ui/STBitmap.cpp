#include "STBitmap.h"

#include <classlib/Resources.h>
#include <owners/WinOwners.h>

CSTBitmap::CSTBitmap() = default;

CSTBitmap::~CSTBitmap() = default;

CSTBitmap::CSTBitmap(UINT id) {
    LoadBitmap(id);
}

BOOL CSTBitmap::LoadBitmap(UINT id) {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(id), RT_BITMAP);
    GdiObject<HBITMAP> loaded(::LoadBitmapW(module, MAKEINTRESOURCEW(id)));
    // Refused when the object already holds a bitmap: the loaded one is freed then.
    const BOOL attached = Attach(loaded.Get());
    if (attached)
        static_cast<void>(loaded.Release());
    BITMAP info{};
    if (m_hObject != nullptr && GetBitmap(&info) != 0) {
        m_nHeight = info.bmHeight;
        m_nWidth = info.bmWidth;
    }
    return attached;
}
