// CDlgLeftSideChild: a content page beside the left panel: fixed size, laid out from its
// template, painted white with its caption, title icon and optional bottom strip.
#pragma once

#include "DlgBaseWnd.h"
#include "STBitmap.h"

extern XARNHELPER_DATA CSTBitmap g_bmpTitleIcon;

class CDlgLeftSideChild : public CDlgBaseWnd {
    DECLARE_DYNCREATE(CDlgLeftSideChild)
    DECLARE_MESSAGE_MAP()
public:
    CDlgLeftSideChild();
    CDlgLeftSideChild(UINT templateId, CWnd* parent);
    ~CDlgLeftSideChild() override;

    BOOL OnInitDialog() override;
    virtual void DrawPageTitle(CDC* dc, const RECT& client, BOOL drawIcon);
    void DrawPageTitleLarge(CDC* dc, const RECT& client, int x, BOOL drawIcon);

    CRect m_rcPageAction;

protected:
    void OnPaint();
    void DrawBottomStrip(CDC* dc, const RECT& client);
};
