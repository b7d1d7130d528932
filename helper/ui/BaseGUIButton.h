// CBaseGUIButton: the base of every skinned owner-drawn button: hand cursor, hover tracking,
// the selected flag, and painting the parent's background behind a transparent button.
#pragma once

#include <windows.h>

#include <classlib/Controls.h>
#include <classlib/MessageMap.h>

class CBaseGUIButton : public CButton {
    DECLARE_DYNAMIC(CBaseGUIButton)
    DECLARE_MESSAGE_MAP()
public:
    CBaseGUIButton();
    ~CBaseGUIButton() override;

    CBaseGUIButton& ShowHandCursor(bool show);
    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override = 0;
    virtual void PaintParentBackground(CWnd* wnd, CDC* dc, const RECT* clip);

    // The owner marks the current page's or tab's button; drawn like hover.
    bool m_bSelected = false;
    bool m_bHovering = false;
    bool m_bHandCursorEnabled = true;
    HCURSOR m_hHandCursor = nullptr;
    // Shown while the mouse is over the button; null after it left.
    HCURSOR m_hActiveCursor = nullptr;
    bool m_bTracking = false;

protected:
    void OnMouseMove(UINT flags, CPoint point);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnMouseLeave();
    void OnMouseHover(UINT flags, CPoint point);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
};
