// CDlgDFIgnoreList: the settings tab of the folders a scan leaves out ("IgnoreListDupp"),
// each ticked or not, with the built-in list as the default.
#pragma once

#include "DupeSettingsTab.h"

#include <classlib/CommonControls.h>

class CDlgDFIgnoreList : public CDupeSettingsTab {
    DECLARE_DYNAMIC(CDlgDFIgnoreList)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFIgnoreList(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    [[nodiscard]] bool SaveSettings() override;
    void LoadDefaults();
    // Whether `folder` is listed (compared in lower case with a trailing backslash; an empty
    // folder counts as listed).
    bool IsListed(const CString& folder);
    void AddFolder(const CString& folder);

    CListCtrl m_list;

protected:
    void LayoutControls() override;
    void AppendRow(const CString& folder, bool checked);
    void OnAdd();
    void OnRemove();

    CImageList m_icons;
    CHoverButtonWithText m_btnAdd;
    CHoverButtonWithText m_btnRemove;
    CHoverButtonWithText m_btnDefault;
};
