// CDlgDFileMatchCrit: the settings tab of the match criteria: name, last-write time, size,
// content and the content size limit ("FindOptions").
#pragma once

#include "DupeSettingsTab.h"
#include "WholeCaptionCheckBox.h"

class CDlgDFileMatchCrit : public CDupeSettingsTab {
    DECLARE_DYNAMIC(CDlgDFileMatchCrit)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFileMatchCrit(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    [[nodiscard]] bool SaveSettings() override;
    // Reads the boxes from the store (also each time the tab is shown).
    void LoadFromStore();

protected:
    void LayoutControls() override;
    void OnShowWindow(BOOL show, UINT status);
    void UpdateSave();
    void OnNameOrTime();
    void OnSize();
    void OnContent();

    // The two boxes that are disabled while what they refine is off.
    CWholeCaptionCheckBox m_contentBox;
    CWholeCaptionCheckBox m_sizeLimitBox;
};
