// CHoverButton4S: a bitmap button drawn from a strip of four frames (normal, pressed,
// highlighted, disabled) with a hand cursor and a highlight while the mouse is over it.
#pragma once

#include <classlib/Controls.h>
#include <classlib/Gdi.h>
#include <classlib/MessageMap.h>
#include <owners/WinOwners.h>

class CHoverButton4S : public CBitmapButton {
    DECLARE_DYNAMIC(CHoverButton4S)
    DECLARE_MESSAGE_MAP()
public:
    CHoverButton4S();

    // Loads the strip (bitmap resource `id`) and sizes the button to one frame.
    BOOL LoadStrip(UINT id);
    // The frame shown for the button's state: 3 disabled, 1 pressed, 2 hovered or kept
    // highlighted, else 0.
    int FrameFor(UINT itemState);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    GdiObject<HBITMAP> m_strip;
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    bool m_bHover = false;
    bool m_bKeepHighlighted = false;
    bool m_bTracking = false;
    HCURSOR m_hCursor = nullptr;
    bool m_bHandCursor = true;

protected:
    void OnMouseMove(UINT flags, CPoint point);
    void OnMouseHover(UINT flags, CPoint point);
    void OnMouseLeave();
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    BOOL OnEraseBkgnd(CDC* dc);
};
