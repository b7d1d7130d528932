// CCaptionLook: the caption of the text and tab buttons: its font record, colours, place and
// the weight and underline each state gives it.
#pragma once

#include <windows.h>

#include <classlib/Geometry.h>

struct CCaptionLook {
    CCaptionLook();

    // The record for drawing in this state (the record keeps its weight; its underline becomes
    // the state's).
    LOGFONTW StateFont(bool hovering);
    // The caption's rectangle within the item and its DrawText format: at the caption's place
    // when it has one, else centred.
    UINT Place(CRect& rect) const;

    bool m_bShadow = false;
    bool m_bBoldOnHover = false;
    bool m_bBoldAlways = false;
    bool m_bUnderlineOnHover = false;
    LOGFONTW m_logFont{};
    COLORREF m_clrText = RGB(9, 18, 27);
    COLORREF m_clrHover = RGB(45, 72, 108);
    COLORREF m_clrThird = RGB(27, 54, 90);
    // -1: centred.
    int m_nCaptionX = -1;
    int m_nCaptionY = 7;
    // Weight 500 on Windows Vista and later.
    bool m_bWeight500 = false;
};

// The shadow colour drawn one pixel down and right of a caption.
constexpr COLORREF kCaptionShadowColour = RGB(189, 198, 207);
