// CLauncherBigButtons: a large launcher button: a 64 x 64 image, a title and a description.
#pragma once

#include "GdiPlusBitmapResource.h"
#include "HyperLinkBtn.h"

class CLauncherBigButtons : public CHyperLinkBtn {
    DECLARE_DYNAMIC(CLauncherBigButtons)
public:
    CLauncherBigButtons();
    ~CLauncherBigButtons() override;

    void SetFontHeight(int height);
    BOOL LoadPngImage(UINT id);
    void SetDescription(CString description);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void DrawBackgroundAndIcon(CDC* dc);

    int m_nReserved = 15;
    UINT m_nPngId = 0;
    CGdiPlusBitmapResource m_png;
    CString m_strDescription;
};
