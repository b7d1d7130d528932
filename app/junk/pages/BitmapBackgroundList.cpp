#include "BitmapBackgroundList.h"

#include <BitmapDrawing.h>

BEGIN_MESSAGE_MAP(CBitmapBackgroundList, CListCtrl)
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

bool CBitmapBackgroundList::SetBackgroundBitmap(UINT bitmapId, COLORREF fallback) {
    if (!m_background.LoadBitmap(bitmapId) || m_background.GetWidth() <= 0 ||
        m_background.GetHeight() <= 0) {
        SetBkColor(fallback);
        SetTextBkColor(fallback);
        return false;
    }
    // The list's own image support is not drawn everywhere (Wine leaves it out); the erase
    // below draws the bitmap, and no colour of the list's own covers it.
    SetBkColor(CLR_NONE);
    SetTextBkColor(CLR_NONE);
    Invalidate();
    return true;
}

BOOL CBitmapBackgroundList::OnEraseBkgnd(CDC* dc) {
    const int width = m_background.GetWidth();
    const int height = m_background.GetHeight();
    if (width <= 0 || height <= 0)
        return CListCtrl::OnEraseBkgnd(dc);
    CRect client;
    GetClientRect(&client);
    for (int y = 0; y < client.bottom; y += height)
        for (int x = 0; x < client.right; x += width)
            DrawBitmap(dc, x, y, width, height, &m_background, SRCCOPY);
    return TRUE;
}
