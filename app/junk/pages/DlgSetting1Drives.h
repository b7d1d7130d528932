// CDlgSetting1Drives: the settings tab of the drives and temporary folders a junk scan walks,
// kept under the profile's "LocationDrives" and "LocationFolders".
#pragma once

#include <windows.h>

#include <classlib/CommonControls.h>
#include <classlib/String.h>

#include "JunkSettingsTab.h"

class CDlgSetting1Drives : public CJunkSettingsTab {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgSetting1Drives(CDlgCleanOptions* host);
    ~CDlgSetting1Drives() override;

    BOOL OnInitDialog() override;
    bool Save() override;
    void LoadDefaults() override;

    // Both lists from the engine's drives and temporary folders, then checked as stored.
    void FillLists();
    // Checks the rows the store names (writing the default folders when none are stored).
    void SyncWithStore();
    // The checked drives' letters and folders' paths, each followed by ";".
    CString SelectionText() const;

    CBitmapBackgroundList m_driveList;
    CBitmapBackgroundList m_folderList;
    CImageList m_images;

protected:
    void PaintContent(CDC& dc, const CRect& client) override;
    void OnSize(UINT type, int cx, int cy);
};

// The locations a scan walks: from the drive settings tab (with `reload`, its lists refilled
// and synchronised first), or, without the tab, from the store and the engine's lists.
CString JunkLocationText(bool reload);
