#include "LeftSideBtns.h"

#include "BitmapDrawing.h"
#include "SelectedFont.h"
#include "PngDrawing.h"
#include "SkinImages.h"
#include "SidePanelLook.h"
#include "SkinMemDC.h"
#include "ProductIdentity.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CLeftSideBtns, CHyperLinkBtn)

namespace {
constexpr UINT kIconStripId = 1364;
constexpr UINT kHoverId = 1357;
constexpr UINT kSelectedId = 1358;
constexpr UINT kPanelId = 1096;
constexpr int kIconCell = 24;
constexpr COLORREF kPageHover = RGB(43, 83, 30);
constexpr COLORREF kShadow = RGB(198, 207, 216);
constexpr COLORREF kHoverShadow = RGB(189, 198, 207);
// A disabled page button: grey text, its icon washed out, no hover.
constexpr COLORREF kDisabledText = RGB(146, 156, 166);
constexpr float kDisabledIconOpacity = 0.45f;
} // namespace

void StoreRectInParent(CWnd& button, CRect& stored) {
    if (stored.top != 0)
        return;
    button.GetWindowRect(&stored);
    ::MapWindowPoints(nullptr, ::GetParent(button.m_hWnd), reinterpret_cast<POINT*>(&stored), 2);
}

CLeftSideBtns::CLeftSideBtns() : m_nUIFontHeight(GetUIFontHeight()) {
    StyleSidePanelButton(*this, &kPageHover);
    SharedSkinPngs& pngs = SkinPngs();
    LoadSkinPngOnce(pngs.leftSideIcons, kIconStripId);
    LoadSkinPngOnce(pngs.leftSideHover, kHoverId);
    LoadSkinPngOnce(pngs.leftSideSelected, kSelectedId);
}

CLeftSideBtns::~CLeftSideBtns() = default;

void CLeftSideBtns::LoadPngImage(UINT pngId, int iconIndex) {
    m_nPngId = pngId;
    (void)m_png.Load(pngId, L"PNG", GetResourceInstance()); // else the shared strip's icon
    m_nIconIndex = iconIndex;
}

void CLeftSideBtns::DrawItem(LPDRAWITEMSTRUCT dis) {
    const CRect item(dis->rcItem);
    CSkinMemDC memory(CDC::FromHandle(dis->hDC), item, RGB(255, 255, 255));
    StoreRectInParent(*this, m_rcInParent);
    GetWindowText(m_strCaption);
    CSTBitmap& panel = LeftPanelBitmap();
    if (panel.m_hObject == nullptr)
        (void)panel.LoadBitmap(kPanelId); // without it the white stays
    if (panel.m_hObject != nullptr)
        DrawBitmapPart(&memory, 0, 0, m_rcInParent.left, m_rcInParent.top, item.Width(),
                       item.Height(), &panel, SRCCOPY);
    DrawBackgroundAndIcon(&memory);

    const bool disabled = (dis->itemState & ODS_DISABLED) != 0 || !IsWindowEnabled();
    ::SetBkMode(memory, TRANSPARENT);
    m_logFont.lfWeight = m_bSelected ? FW_BOLD : FW_NORMAL;
    m_logFont.lfHeight = -12;
    const CSelectedFont font(memory, m_logFont);
    CRect text(m_nTextX, 0, 163, 26);
    if (!disabled) {
        ::SetTextColor(memory, m_bHovering ? kHoverShadow : kShadow);
        ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &text, m_nFormat);
    }
    text.left -= 1;
    text.top -= 1;
    ::SetTextColor(memory, disabled                     ? kDisabledText
                           : m_bHovering || m_bSelected ? m_clrHover
                                                        : m_clrText);
    ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &text, m_nFormat);
}

void CLeftSideBtns::DrawBackgroundAndIcon(CDC* dc) {
    SharedSkinPngs& pngs = SkinPngs();
    const int width = pngs.leftSideHover.Width();
    const int height = pngs.leftSideHover.Height();
    const bool disabled = !IsWindowEnabled();
    if (m_bHovering && !disabled)
        DrawPngPart(dc->m_hDC, pngs.leftSideHover, 0, 0, 0, 0, width, height);
    else if (m_bSelected)
        DrawPngPart(dc->m_hDC, pngs.leftSideSelected, 0, 0, 0, 0, width, height);
    if (m_nIconIndex == -1)
        return;
    const CGdiPlusBitmap& icons =
        m_nPngId != 0 && m_png.m_pBitmap != nullptr ? m_png : pngs.leftSideIcons;
    const int row = m_bSelected ? kIconCell : 0;
    if (disabled)
        DrawPngPartFaded(dc->m_hDC, icons, 1, 1, m_nIconIndex * kIconCell, row, kIconCell,
                         kIconCell, kDisabledIconOpacity);
    else
        DrawPngPart(dc->m_hDC, icons, 1, 1, m_nIconIndex * kIconCell, row, kIconCell, kIconCell);
}
