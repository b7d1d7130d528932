// Shell controls: the folder tree of the shell namespace and the edit box with a
// folder-browse button.
#pragma once

#include "CommonControls.h"
#include "Controls.h"

// A tree of the shell's folders, from the desktop down. Each item keeps its absolute item
// list; children are read when an item is first expanded.
class XARN_CLASSLIB_API CMFCShellTreeCtrl : public CTreeCtrl {
    DECLARE_DYNAMIC(CMFCShellTreeCtrl)
    DECLARE_MESSAGE_MAP()
public:
    CMFCShellTreeCtrl() = default;
    ~CMFCShellTreeCtrl() override;
    // The file-system path of hTreeItem (the selected item when null); FALSE for items that
    // are not in the file system.
    BOOL GetItemPath(CString& strPath, HTREEITEM hTreeItem = nullptr) const;
    // Rebuilds the tree: the desktop, not yet expanded.
    void Refresh();

protected:
    void PreSubclassWindow() override;
    int OnCreate(LPCREATESTRUCTW lpCreateStruct);
    BOOL OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult);

private:
    void FillChildren(HTREEITEM hParent);
};

// An edit box with a browse button at its right edge; in folder mode the button opens the
// shell's folder picker and puts the chosen folder into the box.
class XARN_CLASSLIB_API CMFCEditBrowseCtrl : public CEdit {
    DECLARE_DYNAMIC(CMFCEditBrowseCtrl)
    DECLARE_MESSAGE_MAP()
public:
    enum BrowseMode { BrowseMode_None, BrowseMode_Default, BrowseMode_File, BrowseMode_Folder };

    void EnableFolderBrowseButton(LPCWSTR lpszTitle = nullptr, UINT ulFlags = 0x0041);
    void EnableBrowseButton(BOOL bEnable = TRUE, LPCWSTR szLabel = L"...");
    BrowseMode GetMode() const { return m_Mode; }
    // The button's rectangle in window coordinates (empty without a button).
    CRect GetButtonRect() const;
    // The button was pressed.
    virtual void OnBrowse();

protected:
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnNcPaint();
    LRESULT OnNcHitTest(CPoint point);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);

private:
    void Relayout();
    BrowseMode m_Mode = BrowseMode_None;
    CString m_strLabel = L"...";
    CString m_strFolderTitle;
    UINT m_ulFolderFlags = 0x0041;
    int m_nButtonWidth = 20;
};
