// CGdiPlusBitmap: an image decoded through GDI+ from a file.
#pragma once

#include <windows.h>

namespace Gdiplus {
class Bitmap;
}

class CGdiPlusBitmap {
public:
    CGdiPlusBitmap();
    explicit CGdiPlusBitmap(LPCWSTR file);
    virtual ~CGdiPlusBitmap();
    // Copies would share one image.
    CGdiPlusBitmap(const CGdiPlusBitmap&) = delete;
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap&) = delete;

    [[nodiscard]] BOOL Load(LPCWSTR file);
    void Clear();
    operator Gdiplus::Bitmap*() const { return m_pBitmap; }

    // The decoded image; null when empty.
    Gdiplus::Bitmap* m_pBitmap = nullptr;
};
