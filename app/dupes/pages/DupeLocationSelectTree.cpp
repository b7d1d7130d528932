#include "DupeLocationSelectTree.h"

#include "DupePageIds.h"
#include "DupeWizard.h"

IMPLEMENT_DYNAMIC(CDupeLocationSelectTree, CMFCShellTreeCtrl)

BEGIN_MESSAGE_MAP(CDupeLocationSelectTree, CMFCShellTreeCtrl)
ON_WM_RBUTTONDOWN()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

void CDupeLocationSelectTree::OnRButtonDown(UINT, CPoint point) {
    UINT flags = 0;
    const HTREEITEM item = HitTest(point, &flags);
    if (item == nullptr)
        return;
    SelectItem(item);
    CPoint screen = point;
    ClientToScreen(&screen);
    TrackTextMenu(7002, {{IDM_TREE_ADD_TO_SCAN_LIST, L"IDS_MENU_SHELL_ADD_TO_SCAN_LIST"}},
                  ::GetParent(m_hWnd), screen);
}

void CDupeLocationSelectTree::OnLButtonDown(UINT flags, CPoint point) {
    CMFCShellTreeCtrl::OnLButtonDown(flags, point);
    UINT hit = 0;
    const HTREEITEM item = HitTest(point, &hit);
    if (item == nullptr || (hit & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) == 0)
        return;
    CString path;
    if (GetItemPath(path, item) && m_nPathEditId != 0)
        ::SetDlgItemTextW(::GetParent(m_hWnd), m_nPathEditId, path);
}
