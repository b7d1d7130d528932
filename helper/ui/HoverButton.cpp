#include "HoverButton.h"

#include "BitmapSourceDC.h"
#include "StateStrip.h"
#include "ProductIdentity.h"

IMPLEMENT_DYNAMIC(CHoverButton, CBaseGUIButton)

namespace {
constexpr int kPartFrames = 3;

bool LoadPart(CBitmap& part, UINT id, int& frameWidth, int& height) {
    part.DeleteObject();
    frameWidth = 0;
    height = 0;
    const HANDLE image = ::LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0,
                                      0, LR_LOADMAP3DCOLORS);
    if (!part.Attach(image))
        return false;
    BITMAP info{};
    if (part.GetBitmap(&info) == 0)
        return false;
    frameWidth = info.bmWidth / kPartFrames;
    height = info.bmHeight;
    return true;
}
} // namespace

CHoverButton::CHoverButton() = default;

CHoverButton::~CHoverButton() = default;

BOOL CHoverButton::LoadBitmap(UINT id) {
    LoadStateStrip(m_bmpStrip, id, m_bHasDisabledState ? 4 : 3, m_nFrameWidth, m_nFrameHeight);
    SizeButtonToFrame(*this, m_nFrameWidth, m_nFrameHeight);
    m_bSelected = false;
    m_bSingleStrip = true;
    return TRUE;
}

BOOL CHoverButton::AttachBitmap(HBITMAP strip) {
    AttachStateStrip(m_bmpStrip, strip, 3, m_nFrameWidth, m_nFrameHeight);
    SizeButtonToFrame(*this, m_nFrameWidth, m_nFrameHeight);
    m_bSelected = false;
    m_bSingleStrip = true;
    return TRUE;
}

BOOL CHoverButton::LoadBitmaps(UINT leftId, UINT middleId, UINT rightId, int width, int height) {
    m_nFrameWidth = width;
    m_nFrameHeight = height;
    const bool left = LoadPart(m_bmpLeft, leftId, m_nLeftWidth, m_nLeftHeight);
    const bool middle = LoadPart(m_bmpMiddle, middleId, m_nMiddleWidth, m_nMiddleHeight);
    const bool right = LoadPart(m_bmpRight, rightId, m_nRightWidth, m_nRightHeight);
    SizeButtonToFrame(*this, width, height);
    m_bSelected = false;
    return left && middle && right;
}

void CHoverButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!m_bSingleStrip) {
        DrawThreeParts(dis);
        return;
    }
    const bool disabled = (dis->itemState & ODS_DISABLED) != 0 || !IsWindowEnabled();
    int frame = kNormal;
    if (m_bHasDisabledState && disabled)
        frame = kDisabled;
    else if ((dis->itemState & ODS_SELECTED) != 0 || m_bPushed)
        frame = kPressed;
    else if (m_bHovering || m_bSelected)
        frame = kHover;
    DrawStripFrame(dis->hDC, m_bmpStrip, frame, m_nFrameWidth, m_nFrameHeight);
}

void CHoverButton::DrawThreeParts(LPDRAWITEMSTRUCT dis) {
    int frame = kNormal;
    if ((dis->itemState & ODS_SELECTED) != 0)
        frame = kPressed;
    else if (m_bHovering || m_bSelected)
        frame = kHover;
    const int itemWidth = dis->rcItem.right - dis->rcItem.left;
    if (m_bmpMiddle.m_hObject != nullptr && m_nMiddleWidth > 0) {
        const CBitmapSourceDC middle(dis->hDC, static_cast<HBITMAP>(m_bmpMiddle.m_hObject));
        for (int x = 0; x < itemWidth && middle.Handle() != nullptr; x += m_nMiddleWidth)
            ::BitBlt(dis->hDC, x, 0, m_nMiddleWidth, m_nMiddleHeight, middle.Handle(),
                     frame * m_nMiddleWidth, 0, SRCCOPY);
    }
    if (m_bmpLeft.m_hObject != nullptr && m_nLeftWidth > 0) {
        const CBitmapSourceDC left(dis->hDC, static_cast<HBITMAP>(m_bmpLeft.m_hObject));
        ::BitBlt(dis->hDC, 0, 0, m_nLeftWidth, m_nLeftHeight, left.Handle(), frame * m_nLeftWidth,
                 0, SRCCOPY);
    }
    if (m_bmpRight.m_hObject != nullptr && m_nRightWidth > 0) {
        const CBitmapSourceDC right(dis->hDC, static_cast<HBITMAP>(m_bmpRight.m_hObject));
        ::BitBlt(dis->hDC, itemWidth - m_nRightWidth, 0, m_nRightWidth, m_nRightHeight,
                 right.Handle(), frame * m_nRightWidth, 0, SRCCOPY);
    }
}
