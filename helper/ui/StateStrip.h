// Loading a button's horizontal state strip: frames side by side, the button sized to one.
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>
#include <classlib/Window.h>

// Replaces `strip` with bitmap `id` (or attaches `handle`), cuts it into `frames` frames and
// sizes `button` to one. A missing bitmap leaves the frame size 0.
void LoadStateStrip(CBitmap& strip, UINT id, int frames, int& frameWidth, int& frameHeight);
void AttachStateStrip(CBitmap& strip, HBITMAP handle, int frames, int& frameWidth,
                      int& frameHeight);
void SizeButtonToFrame(CWnd& button, int frameWidth, int frameHeight);
// Copies frame `frame` of the strip to (0, 0) of `dc`.
void DrawStripFrame(HDC dc, const CBitmap& strip, int frame, int frameWidth, int frameHeight);
