// A font made from `font` and selected into `dc` for the scope.
#pragma once

#include <windows.h>

#include <owners/OwnerTraits.h>

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
