// Scoped drawing helpers of the window framework: a memory context with a bitmap selected
// (the source of a blit) and a font made from a record and selected into a context.
#pragma once

#include <windows.h>

// A memory context compatible with `dc` holding `bitmap` for the scope; Handle() is null when
// no context could be made.
class CBitmapSourceDC {
public:
    CBitmapSourceDC(HDC dc, HBITMAP bitmap) : m_hDC(::CreateCompatibleDC(dc)) {
        if (m_hDC != nullptr)
            m_hPrevious = ::SelectObject(m_hDC, bitmap);
    }
    ~CBitmapSourceDC() {
        if (m_hDC == nullptr)
            return;
        ::SelectObject(m_hDC, m_hPrevious);
        ::DeleteDC(m_hDC);
    }
    CBitmapSourceDC(const CBitmapSourceDC&) = delete;
    CBitmapSourceDC& operator=(const CBitmapSourceDC&) = delete;
    HDC Handle() const { return m_hDC; }

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious = nullptr;
};

// A font made from `font` and selected into `dc` for the scope.
class CSelectedFont {
public:
    CSelectedFont(HDC dc, const LOGFONTW& font)
        : m_hDC(dc), m_hFont(::CreateFontIndirectW(&font)),
          m_hPrevious(m_hFont != nullptr ? ::SelectObject(dc, m_hFont) : nullptr) {}
    // Selects a font that someone else owns.
    CSelectedFont(HDC dc, HFONT shared)
        : m_hDC(dc), m_hFont(nullptr),
          m_hPrevious(shared != nullptr ? ::SelectObject(dc, shared) : nullptr) {}
    ~CSelectedFont() {
        if (m_hPrevious != nullptr)
            ::SelectObject(m_hDC, m_hPrevious);
        if (m_hFont != nullptr)
            ::DeleteObject(m_hFont);
    }
    CSelectedFont(const CSelectedFont&) = delete;
    CSelectedFont& operator=(const CSelectedFont&) = delete;

private:
    HDC m_hDC;
    HFONT m_hFont;
    HGDIOBJ m_hPrevious;
};
