#include "SkinIconHandle.h"

#include <commctrl.h>

namespace {
HICON Duplicate(HICON icon) {
    return icon != nullptr ? ::CopyIcon(icon) : nullptr;
}
} // namespace

CSkinIconHandle::CSkinIconHandle() = default;

CSkinIconHandle::CSkinIconHandle(HICON icon) : m_icon(icon) {}

CSkinIconHandle::CSkinIconHandle(const CSkinIconHandle& other)
    : m_icon(Duplicate(other.m_icon.Get())) {}

CSkinIconHandle& CSkinIconHandle::operator=(const CSkinIconHandle& other) {
    if (this != &other)
        *this = Duplicate(other.m_icon.Get());
    return *this;
}

CSkinIconHandle::~CSkinIconHandle() = default;

CSkinIconHandle& CSkinIconHandle::operator=(HICON icon) {
    if (icon != m_icon.Get())
        m_icon.Reset(icon);
    return *this;
}

CSize CSkinIconHandle::QueryIconSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return CSize(0, 0);
    // The icon's bitmaps are copies made for the caller.
    const UniqueResource<owner_traits::GdiObject<HBITMAP>> maskBitmap(info.hbmMask);
    const UniqueResource<owner_traits::GdiObject<HBITMAP>> colourBitmap(info.hbmColor);
    BITMAP mask{};
    const bool known = ::GetObjectW(info.hbmMask, sizeof(mask), &mask) != 0;
    CSize size(mask.bmWidth, mask.bmHeight);
    // A monochrome icon keeps its AND and XOR halves one above the other in the mask.
    if (info.hbmColor == nullptr)
        size.cy /= 2;
    return known ? size : CSize(0, 0);
}

HICON CSkinIconHandle::MakeScaledIcon(HICON icon, int cx, int cy) {
    const CSize size = QueryIconSize(icon);
    if ((cx == 0 && cy == 0) || (size.cx == 0 && size.cy == 0) || size.cx <= 0 || size.cy <= 0)
        return nullptr;
    const long long d = static_cast<long long>(cx) * size.cy - static_cast<long long>(cy) * size.cx;
    if (d < 0)
        cy = MulDiv(size.cy, cx, size.cx);
    else if (d > 0)
        cx = MulDiv(size.cx, cy, size.cy);
    if (cx <= 0 || cy <= 0)
        return nullptr;
    HIMAGELIST list = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 1);
    if (list == nullptr)
        return nullptr;
    HICON scaled =
        ImageList_AddIcon(list, icon) >= 0 ? ImageList_GetIcon(list, 0, ILD_NORMAL) : nullptr;
    ImageList_Destroy(list);
    return scaled;
}
