// CSkinIconHandle: an owned icon handle that can make scaled copies of its icon.
#pragma once

#include <windows.h>

#include <classlib/Geometry.h>
#include <owners/OwnerTraits.h>

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
    operator HICON() const { return m_icon.Get(); }
    HICON Get() const { return m_icon.Get(); }

    CSize QuerySize() const { return QueryIconSize(m_icon.Get()); }
    static CSize QueryIconSize(HICON icon);
    // A new icon (the caller's) at most cx by cy with the icon's aspect ratio, or null.
    HICON ScaledCopy(int cx, int cy) const { return MakeScaledIcon(m_icon.Get(), cx, cy); }
    static HICON MakeScaledIcon(HICON icon, int cx, int cy);

private:
    UniqueResource<owner_traits::Icon> m_icon;
};
