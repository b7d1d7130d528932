// CDlgDetails: the pop-up that lists the found items of one group (or all) with a check box
// each, written straight into the items, a panel with the selected item's details and the
// shell's open, Explorer and properties actions.
#pragma once

#include <windows.h>

#include <DlgBaseChildPopUpWndBase.h>
#include <HoverButtonWithText.h>
#include <HyperLinkBtn.h>
#include <classlib/CommonControls.h>
#include <classlib/Controls.h>
#include <classlib/MessageMap.h>

#include "DetailView.h"
#include "JunkWizard.h"

class CDlgDetails : public CDlgBaseChildPopUpWndBase {
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDetails(CWnd* parent = nullptr);
    ~CDlgDetails() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override { OnOK(); }
    void OnSize(UINT type, int cx, int cy) override;

    // Whether an item belongs in the list with the filter (0 Temp, 1 Junk, 2 Folders, 3 all).
    static bool PassesFilter(const CJunkItem& item, int filter);
    void SelectAll();
    void UnselectAll();
    // The current row's path; empty without a row or when the path does not exist.
    CString CurrentPath() const;
    void OpenItem();
    void OpenContainingFolder();
    void ShowProperties();

    CDetailView m_detailView;
    CHoverButtonWithText m_closeButton;
    CStatic m_header;
    CListCtrl m_list;
    CHyperLinkBtn m_openLink;
    CHyperLinkBtn m_propertiesLink;
    CHyperLinkBtn m_exploreLink;
    CButton m_selectAll;
    int m_nFilter = 3;
    bool m_bSyncEnabled = false;
    bool m_bBulkChange = true;
    bool m_bFromMenu = false;
    int m_nMenuRow = -1;
    int m_nCheckedCount = 0;

protected:
    void FillList();
    void ShowRowDetails(int row);
    void SetAllChecks(bool checked);
    void UpdateSelectAllBox();
    void OnPaint();
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnTimer(UINT_PTR id);
    void OnItemChanging(NMHDR* header, LRESULT* result);
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnRightClick(NMHDR* header, LRESULT* result);
    void OnSelectAllBox();
    void OnMenuOpen();
    void OnMenuExplore();
    void OnMenuProperties();
    void OnMenuSelectAll() { SelectAll(); }
    void OnMenuUnselectAll() { UnselectAll(); }
};
