// A memory context compatible with `dc` holding `bitmap` for the scope; Handle() is null when
// no context could be made.
#pragma once

#include <windows.h>

#include <owners/OwnerTraits.h>

class CBitmapSourceDC {
public:
    CBitmapSourceDC(HDC dc, HBITMAP bitmap) : m_context(::CreateCompatibleDC(dc)) {
        if (m_context)
            m_hPrevious = ::SelectObject(m_context.Get(), bitmap);
    }
    ~CBitmapSourceDC() {
        if (m_context)
            ::SelectObject(m_context.Get(), m_hPrevious);
    }
    CBitmapSourceDC(const CBitmapSourceDC&) = delete;
    CBitmapSourceDC& operator=(const CBitmapSourceDC&) = delete;
    HDC Handle() const { return m_context.Get(); }

private:
    UniqueResource<owner_traits::DeviceContext> m_context;
    HGDIOBJ m_hPrevious = nullptr;
};
