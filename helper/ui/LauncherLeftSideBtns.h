// CLauncherLeftSideBtns: a side button of the launcher's panel.
#pragma once

#include "HyperLinkBtn.h"
#include "XarnHelperApi.h"

// The launcher panel's background behind its side buttons; null: white. Each new side button
// resets it.
extern XARNHELPER_DATA CBitmap* g_pLauncherPanelBitmap;

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
