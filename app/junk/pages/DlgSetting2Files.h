// CDlgSetting2Files: the settings tab of the file masks that mark junk, each with its enabled
// check box; new masks come from the add pop-up.
#pragma once

#include <windows.h>

#include <classlib/CommonControls.h>
#include <classlib/Controls.h>
#include <classlib/String.h>

#include "JunkSettingsTab.h"

class CDlgSetting2Files : public CJunkSettingsTab {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgSetting2Files(CDlgCleanOptions* host);
    ~CDlgSetting2Files() override;

    BOOL OnInitDialog() override;
    bool Save() override;
    void LoadDefaults() override;

    // The list from the engine's list; the rows written back to the engine and the registry.
    virtual void FillList();
    virtual bool SaveList();
    // A row with that text exists already (letter case ignored).
    bool HasRow(const CString& text) const;
    // Adds what the pop-up accepted; false when nothing was added.
    virtual bool AddEntry(const CString& text);
    void RemoveSelectedRow();
    // Checked, unchecked or indeterminate from the rows.
    void UpdateSelectAllBox();

    CBitmapBackgroundList m_list;
    CButton m_selectAll;
    CHoverButtonWithText m_addButton;
    CHoverButtonWithText m_removeButton;
    CImageList m_images;
    bool m_bExclusions = false;

protected:
    CDlgSetting2Files(UINT templateId, CDlgCleanOptions* host, bool exclusions);
    void PaintContent(CDC& dc, const CRect& client) override;
    void OnSize(UINT type, int cx, int cy);
    void OnAdd();
    void OnRemove() { RemoveSelectedRow(); }
    void OnSelectAll();
    void OnListChanged(NMHDR* header, LRESULT* result);
    // Opens the add pop-up; the accepted text, or empty.
    CString AskForEntry(bool folderMode);
};
