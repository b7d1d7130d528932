#include "HyperLinkBtn.h"

#include "SelectedFont.h"
#include "UiFonts.h"

IMPLEMENT_DYNAMIC(CHyperLinkBtn, CBaseGUIButton)

void CreateLinkFonts() {
    if (g_fontLinkNormal.m_hObject != nullptr)
        return;
    LOGFONTW font{};
    GetDefaultLogFont(&font);
    const struct {
        CFont& target;
        LONG weight;
        BYTE underline;
    } fonts[] = {{g_fontLinkBold, FW_BOLD, FALSE},
                 {g_fontLinkBoldUnderline, FW_BOLD, TRUE},
                 {g_fontLinkNormal, FW_NORMAL, FALSE},
                 {g_fontLinkNormalUnderline, FW_NORMAL, TRUE}};
    for (const auto& entry : fonts) {
        font.lfWeight = entry.weight;
        font.lfUnderline = entry.underline;
        entry.target.CreateFontIndirect(&font);
    }
}

CHyperLinkBtn::CHyperLinkBtn() {
    GetDefaultLogFont(&m_logFont);
    CreateLinkFonts();
}

CHyperLinkBtn::~CHyperLinkBtn() = default;

CHyperLinkBtn& CHyperLinkBtn::SetTransparent(bool transparent) {
    m_bTransparent = transparent;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetUnderline(bool underline) {
    m_bUnderline = underline;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::UseStockFonts() {
    m_bUseSharedFonts = true;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetBold() {
    m_bBold = true;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::ClearBold() {
    m_bBold = false;
    return *this;
}

void CHyperLinkBtn::SetLogFont(const LOGFONTW* font) {
    m_bMeasurePending = true;
    m_bUseSharedFonts = false;
    m_logFont = *font;
}

CHyperLinkBtn& CHyperLinkBtn::SetBkColor(COLORREF colour) {
    m_clrBackground = colour;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetTextColor(COLORREF colour) {
    m_clrText = colour;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetHoverTextColor(COLORREF colour) {
    m_clrHover = colour;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetPressedTextColor(COLORREF colour) {
    m_clrPressed = colour;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetDisabledTextColor(COLORREF colour) {
    m_clrDisabled = colour;
    return *this;
}

CHyperLinkBtn& CHyperLinkBtn::SetLinkText(LPCWSTR text) {
    SetWindowText(text);
    m_bMeasurePending = true;
    return *this;
}

void CHyperLinkBtn::DrawItem(LPDRAWITEMSTRUCT dis) {
    const HDC dc = dis->hDC;
    CRect rect(dis->rcItem);
    const CRect full(0, 0, rect.Width(), rect.Height());
    bool underline = m_bUnderline;
    GetWindowText(m_strCaption);

    ::SetBkColor(dc, m_clrBackground);
    if (m_bTransparent)
        PaintParentBackground(this, CDC::FromHandle(dc), &rect);
    else
        CDC::FromHandle(dc)->FillSolidRect(&full, m_clrBackground);
    ::SetTextColor(dc, m_clrText);
    ::SetBkMode(dc, TRANSPARENT);
    if (m_bHovering) {
        underline = true;
        ::SetTextColor(dc, m_clrHover);
    }
    if ((dis->itemState & ODS_SELECTED) != 0) {
        underline = true;
        ::SetTextColor(dc, m_clrPressed);
        rect.OffsetRect(1, 1);
    }
    if ((dis->itemState & ODS_DISABLED) != 0)
        ::SetTextColor(dc, m_clrDisabled);

    auto drawAndMeasure = [&] {
        ::DrawTextW(dc, m_strCaption, m_strCaption.GetLength(), &rect, m_nFormat);
        if (m_bMeasurePending) {
            SIZE extent{};
            ::GetTextExtentPoint32W(dc, m_strCaption, m_strCaption.GetLength(), &extent);
            m_nTextWidth = extent.cx;
            m_nTextHeight = extent.cy;
            m_bMeasurePending = false;
        }
    };
    if (m_bUseSharedFonts) {
        const CFont& shared = m_bBold ? (underline ? g_fontLinkBoldUnderline : g_fontLinkBold)
                                      : (underline ? g_fontLinkNormalUnderline : g_fontLinkNormal);
        const CSelectedFont font(dc, static_cast<HFONT>(shared.m_hObject));
        drawAndMeasure();
    } else {
        m_logFont.lfWeight = m_bBold ? FW_BOLD : FW_NORMAL;
        m_logFont.lfUnderline = underline ? TRUE : FALSE;
        const CSelectedFont font(dc, m_logFont);
        drawAndMeasure();
    }
}
