// CDlgSetting4Advanced: the settings tab of the scan's four options (zero-length files,
// recent files, read-only and system files, empty folders).
#pragma once

#include <windows.h>

#include <TransparentCheckRadio.h>

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

    CTransparentCheckRadio m_zeroLength;
    CTransparentCheckRadio m_excludeRecent;
    CTransparentCheckRadio m_skipSystem;
    CTransparentCheckRadio m_emptyFolders;

protected:
    void PaintContent(CDC& dc, const CRect& client) override;
    void OnSize(UINT type, int cx, int cy);
};
