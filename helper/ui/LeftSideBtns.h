// CLeftSideBtns: a page button of the main window's left panel: icon, caption, and the hover
// and selected backgrounds over the panel's own background.
#pragma once

#include "GdiPlusBitmapResource.h"
#include "HyperLinkBtn.h"

class CLeftSideBtns : public CHyperLinkBtn {
    DECLARE_DYNAMIC(CLeftSideBtns)
public:
    CLeftSideBtns();
    ~CLeftSideBtns() override;

    // The icon strip to take cell `iconIndex` from (-1: no icon) instead of the shared one.
    void LoadPngImage(UINT pngId, int iconIndex);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void DrawBackgroundAndIcon(CDC* dc);

    int m_nUIFontHeight;
    UINT m_nPngId = 0;
    CGdiPlusBitmapResource m_png;
    int m_nIconIndex = 0;
    // In the parent's client coordinates; taken on the first paint.
    CRect m_rcInParent{0, 0, 0, 0};
    int m_nTextX = 30;
};

// The button's window rectangle in its parent's client coordinates, taken once.
void StoreRectInParent(CWnd& button, CRect& stored);
