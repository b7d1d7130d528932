// CDlgAnalyzeOptions: the pop-up in which the user chooses a normal or a thorough disk check.
#pragma once

#include "DiskPageTexts.h"
#include "DiskPagesResource.h"

#include <DlgBaseWndPopupNagBase.h>
#include <HoverButtonWithText.h>

// The captions of the two modes, which the pop-up shows and the disk-check page keeps hidden.
inline constexpr ControlTextKey kDiskCheckModeTexts[] = {
    {IDC_RADIO_NORMAL, L"IDC_RADIO_NORMAL"},
    {IDC_ST_NORMAL_ANALYSIS, L"IDC_ST_NORMAL_ANALYSIS"},
    {IDC_RADIO_THOROUGH, L"IDC_RADIO_THOROUGH"},
    {IDC_ST_THOROUGH_ANA, L"IDC_ST_THOROUGH_ANA"},
    {IDC_ST_LOCATES_BAD_SEC, L"IDC_ST_LOCATES_BAD_SEC"},
};

class CDlgAnalyzeOptions : public CDlgBaseWndPopupNagBase {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgAnalyzeOptions(CWnd* owner = nullptr);

    BOOL OnInitDialog() override;

    // The mode the user confirmed with the scan-now button.
    bool m_normal = false;
    bool m_thorough = false;
    int m_nKeyboardWaits = 0;
    CHoverButtonWithText m_defaultButton;
    CHoverButtonWithText m_scanNowButton;

protected:
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnDefault();
    void OnScanNow();
};
