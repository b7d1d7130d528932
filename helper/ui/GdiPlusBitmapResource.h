// CGdiPlusBitmapResource: an image decoded through GDI+ from a resource (the skin loads its
// "PNG" resources from the resource library).
#pragma once

#include <windows.h>

#include "GdiPlusBitmap.h"

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
