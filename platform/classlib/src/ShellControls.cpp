#include "classlib/ShellControls.h"

#include <shlobj.h>

IMPLEMENT_DYNAMIC(CMFCShellTreeCtrl, CTreeCtrl)
IMPLEMENT_DYNAMIC(CMFCEditBrowseCtrl, CEdit)

BEGIN_MESSAGE_MAP(CMFCShellTreeCtrl, CTreeCtrl)
ON_WM_CREATE()
ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDINGW, &CMFCShellTreeCtrl::OnItemExpanding)
ON_NOTIFY_REFLECT_EX(TVN_DELETEITEMW, &CMFCShellTreeCtrl::OnDeleteItem)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CMFCEditBrowseCtrl, CEdit)
ON_WM_NCCALCSIZE()
ON_WM_NCPAINT()
ON_WM_NCHITTEST()
ON_WM_NCLBUTTONDOWN()
END_MESSAGE_MAP()

namespace {
// Item data: the absolute item list, and whether its children have been read.
struct FolderNode {
    PIDLIST_ABSOLUTE pidl;
    bool filled;
};

FolderNode* ItemOf(const CTreeCtrl& tree, HTREEITEM hItem) {
    return reinterpret_cast<FolderNode*>(tree.GetItemData(hItem));
}

HTREEITEM InsertShellItem(CTreeCtrl& tree, HTREEITEM hParent, PIDLIST_ABSOLUTE pidl,
                          bool hasChildren) {
    SHFILEINFOW info{};
    ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &info, sizeof(info),
                     SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    SHFILEINFOW open{};
    ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &open, sizeof(open),
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    TVINSERTSTRUCTW insert{};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = info.szDisplayName;
    insert.item.iImage = info.iIcon;
    insert.item.iSelectedImage = open.iIcon;
    insert.item.cChildren = hasChildren ? 1 : 0;
    insert.item.lParam = reinterpret_cast<LPARAM>(new FolderNode{pidl, false});
    return tree.InsertItem(&insert);
}
} // namespace

CMFCShellTreeCtrl::~CMFCShellTreeCtrl() {
    // Items still in the tree free their data through TVN_DELETEITEM.
    if (m_hWnd != nullptr)
        DeleteAllItems();
}

void CMFCShellTreeCtrl::PreSubclassWindow() {
    CTreeCtrl::PreSubclassWindow();
    if (!AfxIsWindowBeingCreated(m_hWnd))
        Refresh();
}

int CMFCShellTreeCtrl::OnCreate(LPCREATESTRUCTW lpCreateStruct) {
    if (CTreeCtrl::OnCreate(lpCreateStruct) == -1)
        return -1;
    Refresh();
    return 0;
}

void CMFCShellTreeCtrl::Refresh() {
    DeleteAllItems();
    SHFILEINFOW info{};
    auto systemImages = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    TreeView_SetImageList(m_hWnd, systemImages, TVSIL_NORMAL);
    PIDLIST_ABSOLUTE desktop = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(m_hWnd, CSIDL_DESKTOP, &desktop)))
        return;
    InsertShellItem(*this, TVI_ROOT, desktop, true);
}

void CMFCShellTreeCtrl::FillChildren(HTREEITEM hParent) {
    FolderNode* parent = ItemOf(*this, hParent);
    if (parent == nullptr || parent->filled)
        return;
    parent->filled = true;
    IShellFolder* desktop = nullptr;
    if (FAILED(::SHGetDesktopFolder(&desktop)))
        return;
    IShellFolder* folder = nullptr;
    HRESULT hr = S_OK;
    if (parent->pidl == nullptr || parent->pidl->mkid.cb == 0) {
        desktop->AddRef();
        folder = desktop;
    } else {
        hr = desktop->BindToObject(parent->pidl, nullptr, IID_IShellFolder,
                                   reinterpret_cast<void**>(&folder));
    }
    IEnumIDList* items = nullptr;
    if (SUCCEEDED(hr) && folder->EnumObjects(m_hWnd, SHCONTF_FOLDERS, &items) == S_OK &&
        items != nullptr) {
        PITEMID_CHILD child = nullptr;
        bool any = false;
        while (items->Next(1, &child, nullptr) == S_OK) {
            SFGAOF attributes = SFGAO_HASSUBFOLDER | SFGAO_FOLDER;
            PCUITEMID_CHILD children[] = {child};
            folder->GetAttributesOf(1, children, &attributes);
            if (attributes & SFGAO_FOLDER) {
                InsertShellItem(*this, hParent, ::ILCombine(parent->pidl, child),
                                (attributes & SFGAO_HASSUBFOLDER) != 0);
                any = true;
            }
            ::CoTaskMemFree(child);
        }
        items->Release();
        if (!any) {
            TVITEMW item{};
            item.mask = TVIF_CHILDREN;
            item.hItem = hParent;
            SetItem(&item);
        }
    }
    if (folder != nullptr)
        folder->Release();
    desktop->Release();
}

BOOL CMFCShellTreeCtrl::OnItemExpanding(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* notify = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    if (notify->action & TVE_EXPAND)
        FillChildren(notify->itemNew.hItem);
    *pResult = 0;
    return FALSE; // the parent may look at it too
}

BOOL CMFCShellTreeCtrl::OnDeleteItem(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* notify = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    auto* item = reinterpret_cast<FolderNode*>(notify->itemOld.lParam);
    if (item != nullptr) {
        ::ILFree(item->pidl);
        delete item;
    }
    *pResult = 0;
    return FALSE;
}

BOOL CMFCShellTreeCtrl::GetItemPath(CString& strPath, HTREEITEM hTreeItem) const {
    HTREEITEM hItem = hTreeItem != nullptr ? hTreeItem : GetSelectedItem();
    FolderNode* item = hItem != nullptr ? ItemOf(*this, hItem) : nullptr;
    wchar_t path[MAX_PATH] = {};
    if (item == nullptr || !::SHGetPathFromIDListW(item->pidl, path))
        return FALSE;
    strPath = path;
    return TRUE;
}

// ---- CMFCEditBrowseCtrl ----

void CMFCEditBrowseCtrl::Relayout() {
    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMFCEditBrowseCtrl::EnableFolderBrowseButton(LPCWSTR lpszTitle, UINT ulFlags) {
    m_Mode = BrowseMode_Folder;
    m_strFolderTitle = lpszTitle != nullptr ? lpszTitle : L"";
    m_ulFolderFlags = ulFlags;
    Relayout();
}

void CMFCEditBrowseCtrl::EnableBrowseButton(BOOL bEnable, LPCWSTR szLabel) {
    m_Mode = bEnable ? BrowseMode_Default : BrowseMode_None;
    m_strLabel = szLabel != nullptr ? szLabel : L"...";
    Relayout();
}

CRect CMFCEditBrowseCtrl::GetButtonRect() const {
    if (m_Mode == BrowseMode_None)
        return CRect();
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    int border = ::GetSystemMetrics(SM_CXEDGE);
    CRect r(window.right - window.left - border - m_nButtonWidth, border,
            window.right - window.left - border, window.bottom - window.top - border);
    return r;
}

void CMFCEditBrowseCtrl::OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp) {
    CEdit::OnNcCalcSize(bCalcValidRects, lpncsp);
    if (m_Mode != BrowseMode_None)
        lpncsp->rgrc[0].right -= m_nButtonWidth;
}

void CMFCEditBrowseCtrl::OnNcPaint() {
    CEdit::OnNcPaint();
    if (m_Mode == BrowseMode_None)
        return;
    HDC hdc = ::GetWindowDC(m_hWnd);
    CRect button = GetButtonRect();
    ::DrawFrameControl(hdc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
    ::SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ font = ::SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    ::DrawTextW(hdc, m_strLabel, -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(hdc, font);
    ::ReleaseDC(m_hWnd, hdc);
}

LRESULT CMFCEditBrowseCtrl::OnNcHitTest(CPoint point) {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    CRect button = GetButtonRect();
    button.OffsetRect(window.left, window.top);
    if (m_Mode != BrowseMode_None && button.PtInRect(point))
        return HTBORDER; // ours: no default action for a child's border
    return CEdit::OnNcHitTest(point);
}

void CMFCEditBrowseCtrl::OnNcLButtonDown(UINT nHitTest, CPoint point) {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    CRect button = GetButtonRect();
    button.OffsetRect(window.left, window.top);
    if (m_Mode != BrowseMode_None && button.PtInRect(point)) {
        OnBrowse();
        return;
    }
    CEdit::OnNcLButtonDown(nHitTest, point);
}

namespace {
int CALLBACK BrowseCallback(HWND hWnd, UINT message, LPARAM, LPARAM lpData) {
    if (message == BFFM_INITIALIZED && lpData != 0)
        ::SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, lpData);
    return 0;
}
} // namespace

void CMFCEditBrowseCtrl::OnBrowse() {
    if (m_Mode != BrowseMode_Folder)
        return;
    CString current;
    GetWindowText(current);
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW bi{};
    bi.hwndOwner = ::GetParent(m_hWnd);
    bi.pszDisplayName = display;
    bi.lpszTitle = m_strFolderTitle.IsEmpty() ? nullptr : m_strFolderTitle.GetString();
    bi.ulFlags = m_ulFolderFlags;
    bi.lpfn = &BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(current.GetString());
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&bi);
    if (chosen == nullptr)
        return;
    wchar_t path[MAX_PATH] = {};
    if (::SHGetPathFromIDListW(chosen, path)) {
        SetWindowText(path);
        SetFocus();
    }
    ::ILFree(chosen);
}
