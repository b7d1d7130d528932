#include "TabButton.h"

#include "HoverButton.h"
#include "SelectedFont.h"
#include "StateStrip.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CTabButton, CBaseGUIButton)

namespace {
constexpr int kTabFrames = 4;
// A caption that starts at the left edge whatever the owner set.
constexpr wchar_t kLeftAlignedCaption[] = L"Infos disque";
} // namespace

CTabButton::CTabButton() = default;

CTabButton::~CTabButton() = default;

BOOL CTabButton::LoadBitmap(UINT id) {
    LoadStateStrip(m_bmpStrip, id, kTabFrames, m_nFrameWidth, m_nFrameHeight);
    SizeButtonToFrame(*this, m_nFrameWidth, m_nFrameHeight);
    m_bSelected = false;
    m_bSingleStrip = true;
    return TRUE;
}

BOOL CTabButton::AttachBitmap(HBITMAP strip) {
    AttachStateStrip(m_bmpStrip, strip, 3, m_nFrameWidth, m_nFrameHeight);
    SizeButtonToFrame(*this, m_nFrameWidth, m_nFrameHeight);
    m_bSelected = false;
    m_bSingleStrip = true;
    return TRUE;
}

CTabButton& CTabButton::EnableDisabledColor(bool enable) {
    m_bHasDisabledState = enable;
    return *this;
}

void CTabButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    int frame = CHoverButton::kNormal;
    if (m_bHasDisabledState)
        frame = CHoverButton::kDisabled;
    else if (m_bPushed)
        frame = CHoverButton::kPressed;
    else if (m_bHovering || m_bSelected)
        frame = CHoverButton::kHover;
    DrawStripFrame(dis->hDC, m_bmpStrip, frame, m_nFrameWidth, m_nFrameHeight);
    DrawCaption(dis);
}

void CTabButton::DrawCaption(LPDRAWITEMSTRUCT dis) {
    const HDC dc = dis->hDC;
    CString caption;
    GetWindowText(caption);
    if (caption == kLeftAlignedCaption)
        m_nCaptionX = 0;
    CRect rect(dis->rcItem);
    const bool positioned = m_nCaptionX != -1;
    const UINT format = Place(rect);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_clrText);
    const bool hovering = m_bHovering || m_bSelected;
    if (hovering)
        ::SetTextColor(dc, m_clrHover);
    const CSelectedFont font(dc, StateFont(hovering));

    CRect shadow(rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1);
    if (positioned) {
        if (m_bShadow) {
            const COLORREF previous = ::SetTextColor(dc, kCaptionShadowColour);
            ::DrawTextW(dc, caption, caption.GetLength(), &shadow, format);
            ::SetTextColor(dc, previous);
        }
    } else {
        COLORREF previous = ::GetTextColor(dc);
        if (m_bShadow)
            previous = ::SetTextColor(dc, kCaptionShadowColour);
        if (m_bPushed)
            previous = ::SetTextColor(dc, RGB(255, 255, 255));
        ::DrawTextW(dc, caption, caption.GetLength(), &shadow, format);
        ::SetTextColor(dc, previous);
    }
    if (m_bPushed)
        ::SetTextColor(dc, RGB(255, 255, 255));
    ::DrawTextW(dc, caption, caption.GetLength(), &rect, format);
}
