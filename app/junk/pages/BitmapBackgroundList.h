// CBitmapBackgroundList: a report list drawn over a skin bitmap, tiled behind its rows; the
// rows' texts stand on it without a background of their own.
#pragma once

#include <windows.h>

#include <STBitmap.h>
#include <classlib/CommonControls.h>
#include <classlib/MessageMap.h>

class CBitmapBackgroundList : public CListCtrl {
    DECLARE_MESSAGE_MAP()
public:
    // Takes the bitmap from the resources and draws it from the next paint on; when it cannot
    // be loaded, the list is filled with the colour instead and the answer is false. The list's
    // window must exist.
    [[nodiscard]] bool SetBackgroundBitmap(UINT bitmapId, COLORREF fallback);

protected:
    BOOL OnEraseBkgnd(CDC* dc);

private:
    CSTBitmap m_background;
};
