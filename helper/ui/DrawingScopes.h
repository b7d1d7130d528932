// Scoped drawing helpers of the window framework: a memory context with a bitmap selected
// (the source of a blit) and a font made from a record and selected into a context.
#pragma once

#include <windows.h>

#include <owners/OwnerTraits.h>

// A memory context compatible with `dc` holding `bitmap` for the scope; Handle() is null when
// no context could be made.
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

// A font made from `font` and selected into `dc` for the scope.
class CSelectedFont {
public:
    CSelectedFont(HDC dc, const LOGFONTW& font)
        : m_hDC(dc), m_font(::CreateFontIndirectW(&font)),
          m_hPrevious(m_font ? ::SelectObject(dc, m_font.Get()) : nullptr) {}
    // Selects a font that someone else owns.
    CSelectedFont(HDC dc, HFONT shared)
        : m_hDC(dc), m_hPrevious(shared != nullptr ? ::SelectObject(dc, shared) : nullptr) {}
    // The font is deselected before its owner deletes it.
    ~CSelectedFont() {
        if (m_hPrevious != nullptr)
            ::SelectObject(m_hDC, m_hPrevious);
    }
    CSelectedFont(const CSelectedFont&) = delete;
    CSelectedFont& operator=(const CSelectedFont&) = delete;

private:
    HDC m_hDC;
    UniqueResource<owner_traits::GdiObject<HFONT>> m_font;
    HGDIOBJ m_hPrevious;
};
