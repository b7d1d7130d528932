// CDlgLastScanResults: the settings tab of the saved scan results: the newest five listed,
// one loaded again into the results page, one removed.
#pragma once

#include <DlgBaseWnd.h>
#include <HoverButtonWithText.h>

#include <classlib/CommonControls.h>
#include <owners/WinOwners.h>

class CDlgLastScanResults : public CDlgBaseWnd {
    DECLARE_DYNAMIC(CDlgLastScanResults)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgLastScanResults(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void RefreshList();
    void OnLoad();
    void OnRemove();

    CListCtrl m_list;

protected:
    void UpdateButtons();
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);

    CImageList m_icons;
    CHoverButtonWithText m_btnLoad;
    CHoverButtonWithText m_btnRemove;
    IconHandle m_icon;
};
