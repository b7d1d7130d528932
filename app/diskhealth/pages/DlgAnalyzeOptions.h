// CDlgAnalyzeOptions: the pop-up in which the user chooses a normal or a thorough disk check.
#pragma once

#include <DlgBaseChildPopUpWndBase.h>
#include <HoverButtonWithText.h>

class CDlgAnalyzeOptions : public CDlgBaseWndPopupNagBase {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgAnalyzeOptions(CWnd* owner = nullptr);

    BOOL OnInitDialog() override;

    // The mode the user confirmed with the scan-now button.
    bool m_normal = false;
    bool m_thorough = false;
    CHoverButtonWithText m_defaultButton;
    CHoverButtonWithText m_scanNowButton;

protected:
    void OnPaint();
    void OnDefault();
    void OnScanNow();
};
