#include "LauncherProgBtns.h"

#include "SelectedFont.h"
#include "PngDrawing.h"
#include "SkinImages.h"
#include "SidePanelLook.h"
#include "SkinMemDC.h"
#include "SharedGlobals.h"
#include "UiFonts.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CLauncherProgBtns, CHyperLinkBtn)

namespace {
constexpr UINT kHoverId = 1353;
constexpr UINT kAttentionId = 1348;
constexpr UINT kProblemId = 1374;
constexpr UINT kGoodId = 1352;
// Places in g_rcLauncher.
enum { kIconRect, kTitleRect, kStatusRect, kActionRect, kLine1Rect, kLine2Rect };

void DrawLine(HDC dc, const CString& text, RECT rect, UINT format, bool underline) {
    const CSelectedFont font(dc, LauncherFont(-11, underline));
    ::DrawTextW(dc, text, text.GetLength(), &rect, format);
}
} // namespace

CLauncherProgBtns::CLauncherProgBtns() {
    StyleSidePanelButton(*this, nullptr); // the hover colour stays the link's
    SharedSkinPngs& pngs = SkinPngs();
    LoadSkinPngOnce(pngs.programHover, kHoverId);
    LoadSkinPngOnce(pngs.statusGood, kGoodId);
    LoadSkinPngOnce(pngs.statusProblem, kProblemId);
    LoadSkinPngOnce(pngs.statusAttention, kAttentionId);
}

CLauncherProgBtns::~CLauncherProgBtns() = default;

BOOL CLauncherProgBtns::SetProgram(UINT pngId, HMODULE module, int kind, CString line1,
                                   CString line2, int status, CString action) {
    bool loadedNow = false;
    if (m_pngProgram.m_pBitmap == nullptr)
        loadedNow = m_pngProgram.Load(pngId, L"PNG", module) != FALSE;
    m_nKind = kind;
    m_strLine1 = line1;
    m_strLine2 = line2;
    m_nStatus = status;
    m_strAction = action;
    return loadedNow && !line1.IsEmpty() && !action.IsEmpty();
}

void CLauncherProgBtns::OnMouseHover(UINT flags, CPoint point) {
    m_bOverAction = ::PtInRect(&g_rcLauncher[kActionRect], point) != FALSE;
    m_bOverLine1 = ::PtInRect(&g_rcLauncher[kLine1Rect], point) != FALSE;
    if (m_nKind != 1)
        m_bOverLine2 = ::PtInRect(&g_rcLauncher[kLine2Rect], point) != FALSE;
    CBaseGUIButton::OnMouseHover(flags, point);
}

void CLauncherProgBtns::OnMouseLeave() {
    m_bOverAction = false;
    m_bOverLine1 = false;
    m_bOverLine2 = false;
    CBaseGUIButton::OnMouseLeave();
}

void CLauncherProgBtns::DrawItem(LPDRAWITEMSTRUCT dis) {
    const CRect item(dis->rcItem);
    CSkinMemDC memory(CDC::FromHandle(dis->hDC), item, RGB(255, 255, 255));
    GetWindowText(m_strCaption);
    SharedSkinPngs& pngs = SkinPngs();
    if (m_bHovering)
        DrawPngPart(memory, pngs.programHover, 0, 0, 0, 0,
                    std::min(pngs.programHover.Width(), item.Width()),
                    std::min(pngs.programHover.Height(), item.Height()));
    const RECT& icon = g_rcLauncher[kIconRect];
    DrawPngPart(memory, m_pngProgram, icon.left, icon.top, 0, 0,
                std::min<int>(icon.right - icon.left, m_pngProgram.Width()),
                std::min<int>(icon.bottom - icon.top, m_pngProgram.Height()));
    const CGdiPlusBitmapResource& status = m_nStatus == 0   ? pngs.statusAttention
                                           : m_nStatus == 1 ? pngs.statusProblem
                                                            : pngs.statusGood;
    const RECT& statusAt = g_rcLauncher[kStatusRect];
    DrawPngPart(memory, status, statusAt.left, statusAt.top, 0, 0, status.Width(), status.Height());

    ::SetBkMode(memory, TRANSPARENT);
    {
        const CSelectedFont font(memory, LauncherFont(-15, m_bHovering || m_bSelected));
        CRect title(g_rcLauncher[kTitleRect]);
        ::SetTextColor(memory, RGB(198, 207, 216));
        ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &title, m_nFormat);
        title.OffsetRect(-1, -1);
        ::SetTextColor(memory, RGB(9, 108, 41));
        ::DrawTextW(memory, m_strCaption, m_strCaption.GetLength(), &title, m_nFormat);
    }
    ::SetTextColor(memory, RGB(72, 81, 90));
    if (!m_strLine1.IsEmpty())
        DrawLine(memory, m_strLine1, g_rcLauncher[kLine1Rect], m_nFormat, m_bOverLine1);
    if (m_nKind > 1 && !m_strLine2.IsEmpty())
        DrawLine(memory, m_strLine2, g_rcLauncher[kLine2Rect], m_nFormat, m_bOverLine2);
    DrawLine(memory, m_strAction, g_rcLauncher[kActionRect], DT_WORDBREAK, m_bOverAction);
}
