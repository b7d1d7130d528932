// CDlgScan5Summary: the junk cleaner's last page: found, cleaned and remaining items and the
// space the cleaning freed, and the way back to the start or to what is left.
#pragma once

#include <windows.h>

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>
#include <classlib/MessageMap.h>
#include <owners/WinOwners.h>

#include "JunkWizard.h"

class CDlgScan5Summary : public CDlgLeftSideChild {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgScan5Summary(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

    CHoverButtonWithText m_continueButton;
    // 1294 attention, 1300 health, 1290 problem, 1314 (the summary lines' icons).
    IconHandle m_icons[4];

protected:
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnContinue();
};
