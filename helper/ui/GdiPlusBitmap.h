// CGdiPlusBitmap and CGdiPlusBitmapResource: images decoded through GDI+, from a file or from
// a resource (the skin loads its "PNG" resources from the resource library).
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

class CGdiPlusBitmapResource : public CGdiPlusBitmap {
public:
    CGdiPlusBitmapResource();
    CGdiPlusBitmapResource(LPCWSTR name, LPCWSTR type, HMODULE module);
    CGdiPlusBitmapResource(UINT id, LPCWSTR type, HMODULE module);
    CGdiPlusBitmapResource(UINT id, UINT type, HMODULE module);
    ~CGdiPlusBitmapResource() override;

    [[nodiscard]] BOOL LoadImageFromResource(LPCWSTR name, LPCWSTR type, HMODULE module);
    [[nodiscard]] BOOL Load(UINT id, LPCWSTR type, HMODULE module);
    [[nodiscard]] BOOL Load(UINT id, UINT type, HMODULE module);
    void Clear();
    // Width and height of the image; 0 when empty.
    int Width() const;
    int Height() const;

private:
    // The resource bytes the image decodes from: allocated and locked while the image lives.
    HGLOBAL m_hBuffer = nullptr;
};
