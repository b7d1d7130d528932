// CDlgSetting5Cleanup: the settings tab of how the cleaner removes files: for good, or to the
// Recycle Bin (warning once when the system empties the bin at once).
#pragma once

#include <windows.h>

#include <TransparentCheckRadio.h>
#include <classlib/Controls.h>

#include "JunkSettingsTab.h"

class CDlgSetting5Cleanup : public CJunkSettingsTab {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgSetting5Cleanup(CDlgCleanOptions* host);
    ~CDlgSetting5Cleanup() override;

    BOOL OnInitDialog() override;
    bool Save() override;
    void LoadDefaults() override;
    // Whether the system deletes instead of recycling ("NukeOnDelete").
    static bool RecycleBinBypassed();

    // Drawn over the tab's panel; their texts are painted beside them.
    CTransparentCheckRadio m_directRadio;
    CTransparentCheckRadio m_recycleRadio;

protected:
    void OnApply() override;
    void PaintContent(CDC& dc, const CRect& client) override;
    void OnSize(UINT type, int cx, int cy);
    void OnRecycleChosen();
};

// The bypassed-bin warning is shown once per program run; tests reset it.
extern bool g_bJunkRecycleWarningShown;
