// CHyperLinkBtn: a link-style text button without a bitmap, in the four shared link fonts or
// a font of its own.
#pragma once

#include "BaseGUIButton.h"
#include "XarnHelperApi.h"

#include <classlib/Gdi.h>
#include <classlib/String.h>

// The shared link fonts, made once from the default font record by CreateLinkFonts.
extern XARNHELPER_DATA CFont g_fontLinkBold;
extern XARNHELPER_DATA CFont g_fontLinkBoldUnderline;
extern XARNHELPER_DATA CFont g_fontLinkNormal;
extern XARNHELPER_DATA CFont g_fontLinkNormalUnderline;
// Makes the four link fonts the first time; nothing afterwards.
void CreateLinkFonts();

class CHyperLinkBtn : public CBaseGUIButton {
    DECLARE_DYNAMIC(CHyperLinkBtn)
public:
    CHyperLinkBtn();
    ~CHyperLinkBtn() override;

    CHyperLinkBtn& SetTransparent(bool transparent);
    CHyperLinkBtn& SetUnderline(bool underline);
    CHyperLinkBtn& UseStockFonts();
    CHyperLinkBtn& SetBold();
    CHyperLinkBtn& ClearBold();
    // The own font from now on (the shared fonts are turned off).
    void SetLogFont(const LOGFONTW* font);
    CHyperLinkBtn& SetBkColor(COLORREF colour);
    CHyperLinkBtn& SetTextColor(COLORREF colour);
    CHyperLinkBtn& SetHoverTextColor(COLORREF colour);
    CHyperLinkBtn& SetPressedTextColor(COLORREF colour);
    CHyperLinkBtn& SetDisabledTextColor(COLORREF colour);
    CHyperLinkBtn& SetLinkText(LPCWSTR text);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    // Measured on the first paint after the text or the font changed.
    int m_nTextWidth = 0;
    int m_nTextHeight = 0;
    bool m_bTransparent = false;
    bool m_bUnderline = false;
    bool m_bUseSharedFonts = true;
    bool m_bBold = false;
    bool m_bMeasurePending = true;
    COLORREF m_clrBackground = RGB(255, 255, 255);
    COLORREF m_clrText = RGB(9, 18, 27);
    COLORREF m_clrHover = RGB(45, 72, 108);
    COLORREF m_clrPressed = RGB(27, 54, 90);
    COLORREF m_clrDisabled = RGB(117, 117, 126);
    CString m_strCaption;
    LOGFONTW m_logFont{};
    UINT m_nFormat = DT_VCENTER | DT_SINGLELINE;
};
