// CDlgDFTypeofFileSearch: the settings tab of the file types a scan records ("FilesToSearch").
#pragma once

#include "DupeSettingsTab.h"
#include "WholeCaptionCheckBox.h"

class CDlgDFTypeofFileSearch : public CDupeSettingsTab {
    DECLARE_DYNAMIC(CDlgDFTypeofFileSearch)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFTypeofFileSearch(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    [[nodiscard]] bool SaveSettings() override;

protected:
    void LayoutControls() override;
    void OnAll();

    // The file-type boxes, disabled while all files are searched.
    CWholeCaptionCheckBox m_typeBoxes[5];
};
