// CDupeLocationSelectTree: the shell folder tree of the locations page: a click on a folder
// puts its path into the page's path box; a right click offers to add it to the scan list.
#pragma once

#include <classlib/ShellControls.h>

class CDupeLocationSelectTree : public CMFCShellTreeCtrl {
    DECLARE_DYNAMIC(CDupeLocationSelectTree)
    DECLARE_MESSAGE_MAP()
public:
    // The path box of the parent page that a click fills.
    UINT m_nPathEditId = 0;

protected:
    void OnRButtonDown(UINT flags, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
};
