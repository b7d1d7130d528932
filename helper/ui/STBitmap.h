// CSTBitmap: a bitmap resource that keeps its width and height (both 0 until a load works).
#pragma once

#include <windows.h>

#include <classlib/Gdi.h>

class CSTBitmap : public CBitmap {
public:
    CSTBitmap();
    explicit CSTBitmap(UINT id);
    ~CSTBitmap() override;

    // From the module that holds the resource; non-zero when it was attached.
    BOOL LoadBitmap(UINT id);
    int GetHeight() const { return m_nHeight; }
    int GetWidth() const { return m_nWidth; }

private:
    // Zero until a load works, so a loop stepping by a size never runs on garbage.
    int m_nHeight = 0;
    int m_nWidth = 0;
};
