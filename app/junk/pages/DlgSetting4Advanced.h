// CDlgSetting4Advanced: the settings tab of the scan's four options (zero-length files,
// recent files, read-only and system files, empty folders).
#pragma once

#include <windows.h>

#include <classlib/Controls.h>

#include "JunkSettingsTab.h"

class CDlgSetting4Advanced : public CJunkSettingsTab {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgSetting4Advanced(CDlgCleanOptions* host);
    ~CDlgSetting4Advanced() override;

    BOOL OnInitDialog() override;
    bool Save() override;
    void LoadDefaults() override;
    // The boxes from the stored values, each with its default when absent.
    void LoadBoxes(int zeroLength, int emptyFolders, int excludeRecent, int skipSystem);

    CButton m_zeroLength;
    CButton m_excludeRecent;
    CButton m_skipSystem;
    CButton m_emptyFolders;

protected:
    void PaintContent(CDC& dc, const CRect& client) override;
    void OnSize(UINT type, int cx, int cy);
};
