// CTabInfoDlg: the disk information tab: a physical drive's identity, geometry, volumes and
// partitions, and its ATA transfer modes and feature set, read from the disk tables.
#pragma once

#include "DiskToolsPage.h"

class CTabInfoDlg : public CDiskToolsPage {
    DECLARE_MESSAGE_MAP()
public:
    explicit CTabInfoDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    // Refills both lists and the fields from the tables for the selected drive.
    void FillDriveInfo();

    CListCtrl m_volumeList;
    CListCtrl m_featureList;

protected:
    void Layout(int cx, int cy) override;
    void OnShowWindow(BOOL show, UINT status);
    LRESULT OnDriveSelectionChanged(WPARAM, LPARAM);
    void OnFeatureItemChanged(NMHDR*, LRESULT* result) { *result = 0; }
    void FillFields(const PhysicalDriveInfo* drive);
    void FillFeatures(const PhysicalDriveInfo& drive);
};
