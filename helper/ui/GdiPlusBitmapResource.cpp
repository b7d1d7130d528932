#include "GdiPlusBitmapResource.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstring>

CGdiPlusBitmapResource::CGdiPlusBitmapResource() = default;

CGdiPlusBitmapResource::CGdiPlusBitmapResource(LPCWSTR name, LPCWSTR type, HMODULE module) {
    (void)LoadImageFromResource(name, type, module);
}

CGdiPlusBitmapResource::CGdiPlusBitmapResource(UINT id, LPCWSTR type, HMODULE module) {
    (void)Load(id, type, module);
}

CGdiPlusBitmapResource::CGdiPlusBitmapResource(UINT id, UINT type, HMODULE module) {
    (void)Load(id, type, module);
}

CGdiPlusBitmapResource::~CGdiPlusBitmapResource() {
    Clear();
}

void CGdiPlusBitmapResource::Clear() {
    CGdiPlusBitmap::Clear();
    if (m_hBuffer != nullptr) {
        ::GlobalUnlock(m_hBuffer);
        ::GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

BOOL CGdiPlusBitmapResource::Load(UINT id, LPCWSTR type, HMODULE module) {
    return LoadImageFromResource(MAKEINTRESOURCEW(id), type, module);
}

BOOL CGdiPlusBitmapResource::Load(UINT id, UINT type, HMODULE module) {
    return LoadImageFromResource(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type), module);
}

BOOL CGdiPlusBitmapResource::LoadImageFromResource(LPCWSTR name, LPCWSTR type, HMODULE module) {
    Clear();
    const HRSRC resource = ::FindResourceW(module, name, type);
    if (resource == nullptr)
        return FALSE;
    const DWORD size = ::SizeofResource(module, resource);
    if (size == 0)
        return FALSE;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return FALSE;
    m_hBuffer = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (m_hBuffer == nullptr)
        return FALSE;
    if (void* buffer = ::GlobalLock(m_hBuffer); buffer != nullptr) {
        std::memcpy(buffer, bytes, size);
        IStream* stream = nullptr;
        if (::CreateStreamOnHGlobal(m_hBuffer, FALSE, &stream) == S_OK) {
            m_pBitmap = Gdiplus::Bitmap::FromStream(stream, FALSE);
            stream->Release();
            if (m_pBitmap != nullptr && m_pBitmap->GetLastStatus() == Gdiplus::Ok)
                return TRUE;
            CGdiPlusBitmap::Clear();
        }
        ::GlobalUnlock(m_hBuffer);
    }
    ::GlobalFree(m_hBuffer);
    m_hBuffer = nullptr;
    return FALSE;
}

int CGdiPlusBitmapResource::Width() const {
    return m_pBitmap != nullptr ? static_cast<int>(m_pBitmap->GetWidth()) : 0;
}

int CGdiPlusBitmapResource::Height() const {
    return m_pBitmap != nullptr ? static_cast<int>(m_pBitmap->GetHeight()) : 0;
}
