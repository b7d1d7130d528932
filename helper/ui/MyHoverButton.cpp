#include "MyHoverButton.h"

#include "BitmapSourceDC.h"
#include "SelectedFont.h"
#include "StateStrip.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CMyHoverButton, CHoverButton)

namespace {
constexpr int kFrames = 4;
constexpr POINT kIconAt{38, 3};
constexpr int kCaptionTopWithIcon = 43;

LOGFONTW CaptionFont(LONG height, LPCWSTR face) {
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = FW_BOLD;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return font;
}
} // namespace

CMyHoverButton::CMyHoverButton() = default;

CMyHoverButton::~CMyHoverButton() = default;

BOOL CMyHoverButton::LoadBitmapAndText(UINT id, CString caption) {
    m_strCaption = caption;
    LoadStateStrip(m_bmpStrip, id, kFrames, m_nFrameWidth, m_nFrameHeight);
    SizeButtonToFrame(*this, m_nFrameWidth, m_nFrameHeight);
    m_bmpIcon.DeleteObject();
    return TRUE;
}

void CMyHoverButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    const HDC dc = dis->hDC;
    const bool pressed = (dis->itemState & ODS_SELECTED) != 0 || m_bPushed;
    const bool hasIcon = m_bmpIcon.m_hObject != nullptr;
    int frame = kNormal;
    bool drawIcon = hasIcon;
    if (!IsWindowEnabled()) {
        frame = kDisabled;
        drawIcon = false;
    } else if (pressed) {
        frame = kPressed;
    } else if (m_bHovering || (dis->itemState & ODS_FOCUS) != 0 || m_bSelected) {
        frame = kHover;
    }
    DrawStripFrame(dc, m_bmpStrip, frame, m_nFrameWidth, m_nFrameHeight);
    if (drawIcon && m_nIconWidth > 0) {
        const CBitmapSourceDC icon(dc, static_cast<HBITMAP>(m_bmpIcon.m_hObject));
        ::BitBlt(dc, kIconAt.x, kIconAt.y, m_nIconWidth, m_nIconHeight, icon.Handle(),
                 frame * m_nIconWidth, 0, SRCCOPY);
    }

    ::SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    CRect rect(dis->rcItem);
    if (hasIcon) {
        const CSelectedFont font(dc, CaptionFont(-12, L"arial"));
        ::SetTextColor(dc, pressed ? RGB(255, 255, 255) : RGB(54, 63, 72));
        rect.left = 1;
        rect.top = kCaptionTopWithIcon;
        ::DrawTextW(dc, m_strCaption, m_strCaption.GetLength(), &rect, format);
        return;
    }
    const CString face = GetUIFontFace();
    const CSelectedFont font(dc, CaptionFont(-21, face));
    if (pressed)
        rect.OffsetRect(1, 1);
    ::SetTextColor(dc, RGB(45, 111, 45));
    ::DrawTextW(dc, m_strCaption, m_strCaption.GetLength(), &rect, format);
    rect.left -= 1;
    rect.top -= 1;
    ::SetTextColor(dc, RGB(245, 245, 245));
    ::DrawTextW(dc, m_strCaption, m_strCaption.GetLength(), &rect, format);
}
