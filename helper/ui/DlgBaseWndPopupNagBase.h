// The suite's skinned pop-up shown over the translucent overlay, reporting a result code to
// whoever ran it.
#pragma once

#include "DlgBaseChildPopUpWndBase.h"

class CDlgBaseWndPopupNagBase : public CDlgBaseChildPopUpWndBase {
    DECLARE_DYNCREATE(CDlgBaseWndPopupNagBase)
    DECLARE_MESSAGE_MAP()
public:
    CDlgBaseWndPopupNagBase();
    CDlgBaseWndPopupNagBase(UINT templateId, CWnd* parent);
    ~CDlgBaseWndPopupNagBase() override;

    void OnOK() override;
    void OnCancel() override;
    void OnSize(UINT type, int cx, int cy) override;
    void SetResultAndClose(int code);

    int m_nResultCode = 0;
};
