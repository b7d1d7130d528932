// CDlgDFSelectLocation: the duplicate finder's locations page: folders picked from the shell
// tree or typed, kept under "Selected" after every change, and the start of a scan.
#pragma once

#include "DupeLocationSelectTree.h"
#include "HoverButton4S.h"

#include <DlgLeftSideChild.h>
#include <HoverButtonWithText.h>

#include <classlib/Array.h>
#include <classlib/CommonControls.h>

class CDlgDFSelectLocation : public CDlgLeftSideChild {
    DECLARE_DYNAMIC(CDlgDFSelectLocation)
    DECLARE_MESSAGE_MAP()
public:
    explicit CDlgDFSelectLocation(CWnd* parent = nullptr);
    ~CDlgDFSelectLocation() override;

    BOOL OnInitDialog() override;
    // The chosen locations: the list's rows, or the stored ones when the page has no list.
    void GetItemToScan(CStringArray& items);
    void OnBnClickedScanNow();

    // Whether `path` contains or lies in a listed location (an empty path counts as listed).
    bool OverlapsListed(const CString& path);
    // Whether `path` begins with the Windows folder's text.
    static bool IsInWindowsFolder(const CString& path);

    void LoadList();
    void SaveList();

protected:
    void AddRow(const CString& path);
    // Shows the message of `messageKey` and empties the path box.
    void Refuse(LPCWSTR messageKey);
    void AddFromEdit();
    void AddFromTree();
    void RemoveSelected();
    void RemoveAll();
    void UpdateAddButtons();
    void OnShowWindow(BOOL show, UINT status);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnListClick(NMHDR* header, LRESULT* result);
    void OnListRightClick(NMHDR* header, LRESULT* result);

    CDupeLocationSelectTree m_tree;
    CListCtrl m_list;
    CImageList m_icons;
    CHoverButtonWithText m_btnAddFromEdit;
    CHoverButton4S m_btnArrow;
    CHoverButtonWithText m_btnRemove;
    CHoverButtonWithText m_btnScan;
    CRect m_rcNote;
};
