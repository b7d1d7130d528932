// CSkinIconHandle: an owned icon handle that can make scaled copies of its icon.
#pragma once

#include <windows.h>

#include <classlib/Geometry.h>

class CSkinIconHandle {
public:
    CSkinIconHandle();
    // Takes the icon over.
    explicit CSkinIconHandle(HICON icon);
    // A copy holds its own duplicate of the icon, so that each destroys only its own.
    CSkinIconHandle(const CSkinIconHandle& other);
    CSkinIconHandle& operator=(const CSkinIconHandle& other);
    virtual ~CSkinIconHandle();

    // Takes the icon over, destroying the one held (unless it is the same).
    CSkinIconHandle& operator=(HICON icon);
    operator HICON() const { return m_hIcon; }
    HICON Get() const { return m_hIcon; }

    CSize QuerySize() const { return QueryIconSize(m_hIcon); }
    static CSize QueryIconSize(HICON icon);
    // A new icon (the caller's) at most cx by cy with the icon's aspect ratio, or null.
    HICON ScaledCopy(int cx, int cy) const { return MakeScaledIcon(m_hIcon, cx, cy); }
    static HICON MakeScaledIcon(HICON icon, int cx, int cy);

private:
    HICON m_hIcon = nullptr;
};
