#include "LauncherBigButtons.h"

#include "SelectedFont.h"
#include "PngDrawing.h"
#include "SkinImages.h"
#include "SidePanelLook.h"
#include "SkinMemDC.h"
#include "ProductIdentity.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CLauncherBigButtons, CHyperLinkBtn)

namespace {
constexpr UINT kHoverId = 1353;
constexpr UINT kSelectedId = 1354;
constexpr int kImageSize = 64;
constexpr COLORREF kLauncherHover = RGB(9, 63, 153);
} // namespace

CLauncherBigButtons::CLauncherBigButtons() {
    StyleSidePanelButton(*this, &kLauncherHover);
    SharedSkinPngs& pngs = SkinPngs();
    LoadSkinPngOnce(pngs.bigButtonHover, kHoverId);
    LoadSkinPngOnce(pngs.bigButtonSelected, kSelectedId);
}

CLauncherBigButtons::~CLauncherBigButtons() = default;

void CLauncherBigButtons::SetFontHeight(int height) {
    SetOwnFontHeight(*this, height);
}

BOOL CLauncherBigButtons::LoadPngImage(UINT id) {
    m_nPngId = id;
    return m_png.Load(id, L"PNG", GetResourceInstance());
}

void CLauncherBigButtons::SetDescription(CString description) {
    m_strDescription = description;
}

void CLauncherBigButtons::DrawBackgroundAndIcon(CDC* dc) {
    SharedSkinPngs& pngs = SkinPngs();
    if (m_bHovering || m_bSelected)
        DrawPngPart(dc->m_hDC, m_bHovering ? pngs.bigButtonHover : pngs.bigButtonSelected, 0, 0, 0,
                    0, pngs.bigButtonHover.Width(), pngs.bigButtonHover.Height());
    if (m_nPngId != 0)
        DrawPngPart(dc->m_hDC, m_png, 7, 1, 0, 0, kImageSize, kImageSize);
}

void CLauncherBigButtons::DrawItem(LPDRAWITEMSTRUCT dis) {
    CSkinMemDC memory(CDC::FromHandle(dis->hDC), CRect(dis->rcItem), RGB(255, 255, 255));
    GetWindowText(m_strCaption);
    DrawBackgroundAndIcon(&memory);
    ::SetBkMode(memory, TRANSPARENT);
    {
        const CSelectedFont font(memory, LauncherFont(-16));
        CRect title(85, 12, 550, 38);
        ::SetTextColor(memory, m_bHovering ? RGB(12, 93, 25) : RGB(0, 150, 58));
        ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &title, m_nFormat);
        title.OffsetRect(-1, -1);
        ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &title, m_nFormat);
    }
    const CSelectedFont font(memory, LauncherFont(-13));
    CRect description(85, 35, 550, 60);
    ::SetTextColor(memory, m_bHovering ? RGB(189, 198, 207) : RGB(198, 207, 216));
    ::DrawTextW(memory, m_strDescription, m_strDescription.GetLength(), &description, m_nFormat);
    description.OffsetRect(-1, -1);
    ::SetTextColor(memory, m_bHovering || m_bSelected ? m_clrHover : m_clrText);
    ::DrawTextW(memory, m_strDescription, m_strDescription.GetLength(), &description, m_nFormat);
}
