// CLauncherProgBtns: a launcher row for one of the maker's programs: its image, title, two
// lines, a status image and an action text.
#pragma once

#include "GdiPlusBitmapResource.h"
#include "HyperLinkBtn.h"

class CLauncherProgBtns : public CHyperLinkBtn {
    DECLARE_DYNAMIC(CLauncherProgBtns)
public:
    CLauncherProgBtns();
    ~CLauncherProgBtns() override;

    // TRUE only when this call loaded the image and line 1 and the action are not empty.
    BOOL SetProgram(UINT pngId, HMODULE module, int kind, CString line1, CString line2, int status,
                    CString action);
    // Not in the message map: they run when called.
    void OnMouseHover(UINT flags, CPoint point);
    void OnMouseLeave();
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    bool m_bOverAction = false;
    int m_nKind = 0;
    bool m_bOverLine1 = false;
    CString m_strLine1;
    bool m_bOverLine2 = false;
    CString m_strLine2;
    CGdiPlusBitmapResource m_pngProgram;
    CString m_strAction;
    // 0 attention, 1 problem, 2 good.
    int m_nStatus = 2;
};
