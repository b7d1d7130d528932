#include "StateStrip.h"

#include "BitmapSourceDC.h"

namespace {
void MeasureStrip(const CBitmap& strip, int frames, int& frameWidth, int& frameHeight) {
    BITMAP info{};
    if (strip.m_hObject == nullptr || strip.GetBitmap(&info) == 0)
        info = BITMAP{};
    frameHeight = info.bmHeight;
    frameWidth = info.bmWidth / frames;
}
} // namespace

void LoadStateStrip(CBitmap& strip, UINT id, int frames, int& frameWidth, int& frameHeight) {
    strip.DeleteObject();
    (void)strip.LoadBitmap(id); // a missing strip measures as 0 x 0
    MeasureStrip(strip, frames, frameWidth, frameHeight);
}

void AttachStateStrip(CBitmap& strip, HBITMAP handle, int frames, int& frameWidth,
                      int& frameHeight) {
    strip.DeleteObject();
    (void)strip.Attach(handle);
    MeasureStrip(strip, frames, frameWidth, frameHeight);
}

void SizeButtonToFrame(CWnd& button, int frameWidth, int frameHeight) {
    if (button.m_hWnd != nullptr)
        button.SetWindowPos(nullptr, 0, 0, frameWidth, frameHeight, SWP_NOMOVE | SWP_NOOWNERZORDER);
}

void DrawStripFrame(HDC dc, const CBitmap& strip, int frame, int frameWidth, int frameHeight) {
    if (strip.m_hObject == nullptr || frameWidth <= 0)
        return;
    const CBitmapSourceDC source(dc, static_cast<HBITMAP>(strip.m_hObject));
    if (source.Handle() != nullptr)
        ::BitBlt(dc, 0, 0, frameWidth, frameHeight, source.Handle(), frame * frameWidth, 0,
                 SRCCOPY);
}
