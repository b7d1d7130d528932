// CDlgSetting3Exclusions: the settings tab of the folders and patterns a scan never enters; it
// shows the mask tab's dialog without check boxes.
#pragma once

#include "DlgSetting2Files.h"

class CDlgSetting3Exclusions : public CDlgSetting2Files {
public:
    explicit CDlgSetting3Exclusions(CDlgCleanOptions* host);
    ~CDlgSetting3Exclusions() override;

    BOOL OnInitDialog() override;
    void LoadDefaults() override;
    void FillList() override;
    bool SaveList() override;
    // The entered folder and, when it exists, its long and short forms, each once.
    bool AddEntry(const CString& text) override;
};
