// Loading a button's horizontal state strip: frames side by side, the button sized to one.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>
#include <classlib/Window.h>

// The state strip and three-part skin of a bitmap button: one frame's size, the strip, the
// parts and their sizes, and whether the strip has a disabled frame.
struct CStateStripSkin {
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    CBitmap m_bmpStrip;
    // Off: the button paints the three-part skin instead (the owner switches it off).
    bool m_bSingleStrip = true;
    CBitmap m_bmpLeft;
    CBitmap m_bmpMiddle;
    CBitmap m_bmpRight;
    int m_nLeftWidth = 0;
    int m_nMiddleWidth = 0;
    int m_nRightWidth = 0;
    int m_nLeftHeight = 0;
    int m_nMiddleHeight = 0;
    int m_nRightHeight = 0;
    bool m_bHasDisabledState = false;
};

// Replaces `strip` with bitmap `id` (or attaches `handle`), cuts it into `frames` frames and
// sizes `button` to one. A missing bitmap leaves the frame size 0.
void LoadStateStrip(CBitmap& strip, UINT id, int frames, int& frameWidth, int& frameHeight);
void AttachStateStrip(CBitmap& strip, HBITMAP handle, int frames, int& frameWidth,
                      int& frameHeight);
void SizeButtonToFrame(CWnd& button, int frameWidth, int frameHeight);
// Copies frame `frame` of the strip to (0, 0) of `dc`.
void DrawStripFrame(HDC dc, const CBitmap& strip, int frame, int frameWidth, int frameHeight);
