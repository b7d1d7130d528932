// CLauncherLeftSideBtns: a side button of the launcher's panel.
#pragma once

#include "HyperLinkBtn.h"

class CLauncherLeftSideBtns : public CHyperLinkBtn {
    DECLARE_DYNAMIC(CLauncherLeftSideBtns)
public:
    CLauncherLeftSideBtns();
    ~CLauncherLeftSideBtns() override;

    // The own font: the default record at this height.
    void SetFontHeight(int height);
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    CRect m_rcInParent{0, 0, 0, 0};
    int m_nReserved[3] = {15, 0, 0};
};
