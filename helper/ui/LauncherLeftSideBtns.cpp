#include "LauncherLeftSideBtns.h"

#include "BitmapDrawing.h"
#include "SelectedFont.h"
#include "LeftSideBtns.h"
#include "PngDrawing.h"
#include "SkinImages.h"
#include "SidePanelLook.h"
#include "SkinMemDC.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CLauncherLeftSideBtns, CHyperLinkBtn)

namespace {
constexpr UINT kHoverId = 1355;
constexpr UINT kSelectedId = 1356;
constexpr COLORREF kLauncherHover = RGB(9, 63, 153);
} // namespace

CLauncherLeftSideBtns::CLauncherLeftSideBtns() {
    StyleSidePanelButton(*this, &kLauncherHover);
    SharedSkinPngs& pngs = SkinPngs();
    LoadSkinPngOnce(pngs.launcherHover, kHoverId);
    LoadSkinPngOnce(pngs.launcherSelected, kSelectedId);
    g_pLauncherPanelBitmap = nullptr;
}

CLauncherLeftSideBtns::~CLauncherLeftSideBtns() = default;

void CLauncherLeftSideBtns::SetFontHeight(int height) {
    SetOwnFontHeight(*this, height);
}

void CLauncherLeftSideBtns::DrawItem(LPDRAWITEMSTRUCT dis) {
    const CRect item(dis->rcItem);
    CSkinMemDC memory(CDC::FromHandle(dis->hDC), item, RGB(255, 255, 255));
    StoreRectInParent(*this, m_rcInParent);
    GetWindowText(m_strCaption);
    if (g_pLauncherPanelBitmap != nullptr && g_pLauncherPanelBitmap->m_hObject != nullptr)
        DrawBitmapPart(&memory, 0, 0, m_rcInParent.left, m_rcInParent.top, item.Width(),
                       item.Height(), g_pLauncherPanelBitmap, SRCCOPY);
    SharedSkinPngs& pngs = SkinPngs();
    if (m_bHovering || m_bSelected) {
        const bool hoverLook = m_bHovering && !m_bSelected && (dis->itemState & ODS_SELECTED) == 0;
        DrawPngPart(memory, hoverLook ? pngs.launcherHover : pngs.launcherSelected, 4, 1, 0, 0,
                    pngs.launcherHover.Width(), pngs.launcherHover.Height());
    }
    ::SetBkMode(memory, TRANSPARENT);
    m_logFont.lfWeight = 0;
    m_logFont.lfHeight = -13;
    const CSelectedFont font(memory, m_logFont);
    CRect text(18, 1, item.Width(), item.Height());
    ::SetTextColor(memory, RGB(198, 207, 216));
    ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &text, m_nFormat);
    text.OffsetRect(-1, -1);
    ::SetTextColor(memory, RGB(9, 18, 27));
    ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &text, m_nFormat);
}
