// CTabHealthDlg: the S.M.A.R.T. tab: a physical drive's attributes with their names, values,
// thresholds and states, and a refresh that reads every drive again.
#pragma once

#include "DiskToolsPage.h"

class CTabHealthDlg : public CDiskToolsPage {
    DECLARE_MESSAGE_MAP()
public:
    explicit CTabHealthDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Refills the attribute list from the tables for the selected drive.
    void FillSmartAttributes();

    CListCtrl m_attributeList;
    CHoverButtonWithText m_refreshButton;

protected:
    void Layout(int cx, int cy) override;
    LRESULT OnDriveSelectionChanged(WPARAM, LPARAM);
    // Reads the volumes and drives again, then refills.
    void OnRefresh();
    void OnAttributeCustomDraw(NMHDR* header, LRESULT* result);
};
