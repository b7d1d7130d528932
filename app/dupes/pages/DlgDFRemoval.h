// CDlgDFRemoval: the settings tab of how removed duplicates go: to the Recycle Bin, or into a
// zip backup in a folder and then for good ("RemovalOptions").
#pragma once

#include "DupeSettingsTab.h"

#include <classlib/ShellControls.h>

class CDlgDFRemoval : public CDupeSettingsTab {
    DECLARE_DYNAMIC(CDlgDFRemoval)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFRemoval(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    [[nodiscard]] bool SaveSettings() override;
    void LoadFromStore();
    // Save with the checks of the backup folder: a missing folder stores nothing.
    void OnSaveRemoval();

    CMFCEditBrowseCtrl m_folder;

protected:
    void LayoutControls() override;
    void OnShowWindow(BOOL show, UINT status);
    void OnRecycleBin();
    void OnBackup();
};
