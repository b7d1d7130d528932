#include "classlib/CommonControls.h"

#include "classlib/Resources.h"
#include "OwnerDraw.h"
#include "WindowState.h"

IMPLEMENT_DYNCREATE(CImageList, CObject)
IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CAnimateCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CWnd)

BEGIN_MESSAGE_MAP(CHeaderCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CListCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CTreeCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CProgressCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CAnimateCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CDateTimeCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CToolTipCtrl, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CToolBar, CWnd)
END_MESSAGE_MAP()

namespace {
BOOL CreateControl(CWnd* pWnd, LPCWSTR className, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                   UINT nID) {
    return pWnd->CWnd::CreateEx(0, className, nullptr, dwStyle, rect, pParentWnd, nID);
}

// A list or tree item that asks for its lParam: `key` (the item's index or handle) is stored
// in the member `keyField`.
template <class Item, class Key> Item ParamItem(UINT mask, Key Item::*keyField, Key key) {
    Item item{};
    item.mask = mask;
    item.*keyField = key;
    return item;
}

// The item data (lParam) of a list or tree item, through the view's get- and set-item messages.
template <class Item> DWORD_PTR GetItemParam(HWND view, UINT getMessage, Item item) {
    return SendControlMessage<BOOL>(view, getMessage, 0, &item)
               ? static_cast<DWORD_PTR>(item.lParam)
               : 0;
}

template <class Item> BOOL SetItemParam(HWND view, UINT setMessage, Item item, DWORD_PTR data) {
    item.lParam = static_cast<LPARAM>(data);
    return SendControlMessage<BOOL>(view, setMessage, 0, &item);
}

// What lies under a client point of a list or tree view; the hit-test flags go to pFlags.
template <class Info> LRESULT HitTestAt(HWND view, UINT message, POINT pt, UINT* pFlags) {
    Info info{};
    info.pt = pt;
    const LRESULT hit = SendControlMessage(view, message, 0, &info);
    if (pFlags != nullptr)
        *pFlags = info.flags;
    return hit;
}
} // namespace

// ---- CImageList ----

CImageList::~CImageList() {
    DeleteImageList();
}

CImageList* CImageList::FromHandle(HIMAGELIST hImageList) {
    if (hImageList == nullptr)
        return nullptr;
    auto& slot = AfxGetThreadState().tempImageLists[hImageList];
    if (!slot) {
        slot = std::make_unique<CImageList>();
        slot->m_hImageList = hImageList;
    }
    return slot.get();
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (hImageList == nullptr || m_hImageList != nullptr)
        return FALSE;
    m_hImageList = hImageList;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST h = m_hImageList;
    m_hImageList = nullptr;
    return h;
}

BOOL CImageList::DeleteImageList() {
    HIMAGELIST h = Detach();
    return h != nullptr && ImageList_Destroy(h);
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
    LPCWSTR name = MAKEINTRESOURCEW(nBitmapID);
    return Attach(ImageList_LoadImageW(AfxFindResourceHandle(name, RT_BITMAP), name, cx, nGrow,
                                       crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

// ---- CListCtrl ----

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateControl(this, WC_LISTVIEWW, dwStyle, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth,
                            int nSubItem) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.fmt = nFormat;
    column.pszText = const_cast<LPWSTR>(lpszColumnHeading);
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return InsertItem(&item);
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem, int nImage) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR lpszText) {
    LVITEMW item{};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPWSTR>(lpszText);
    return SendControlMessage<BOOL>(m_hWnd, LVM_SETITEMTEXTW, nItem, &item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    // Grow the buffer until the text fits.
    CString text;
    for (int size = 256;; size *= 2) {
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.cchTextMax = size;
        item.pszText = text.GetBuffer(size);
        int length = SendControlMessage<int>(m_hWnd, LVM_GETITEMTEXTW, nItem, &item);
        text.ReleaseBuffer(length);
        if (length < size - 1 || size >= (1 << 20))
            return text;
    }
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    return GetItemParam(m_hWnd, LVM_GETITEMW, ParamItem(LVIF_PARAM, &LVITEMW::iItem, nItem));
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
    return SetItemParam(m_hWnd, LVM_SETITEMW, ParamItem(LVIF_PARAM, &LVITEMW::iItem, nItem),
                        dwData);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMW item{};
    item.state = nState;
    item.stateMask = nMask;
    return SendControlMessage<BOOL>(m_hWnd, LVM_SETITEMSTATE, nItem, &item);
}

int CListCtrl::HitTest(POINT pt, UINT* pFlags) const {
    return static_cast<int>(HitTestAt<LVHITTESTINFO>(m_hWnd, LVM_HITTEST, pt, pFlags));
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    return CImageList::FromHandle(ListView_SetImageList(
        m_hWnd, pImageList ? pImageList->m_hImageList : nullptr, nImageListType));
}

CImageList* CListCtrl::GetImageList(int nImageList) const {
    return CImageList::FromHandle(ListView_GetImageList(m_hWnd, nImageList));
}

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}
void CListCtrl::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return OwnerDrawChildNotify(this, message, wParam, lParam, pResult);
}

// ---- CTreeCtrl ----

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateControl(this, WC_TREEVIEWW, dwStyle, rect, pParentWnd, nID);
}

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPWSTR>(lpszItem);
    return InsertItem(&insert);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const {
    wchar_t buffer[1024] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    return TreeView_GetItem(m_hWnd, &item) ? CString(buffer) : CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCWSTR lpszItem) {
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return TreeView_SetItem(m_hWnd, &item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const {
    return GetItemParam(m_hWnd, TVM_GETITEMW, ParamItem(TVIF_PARAM, &TVITEMW::hItem, hItem));
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData) {
    return SetItemParam(m_hWnd, TVM_SETITEMW, ParamItem(TVIF_PARAM, &TVITEMW::hItem, hItem),
                        dwData);
}

HTREEITEM CTreeCtrl::HitTest(POINT pt, UINT* pFlags) const {
    return reinterpret_cast<HTREEITEM>(HitTestAt<TVHITTESTINFO>(m_hWnd, TVM_HITTEST, pt, pFlags));
}

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    return CImageList::FromHandle(TreeView_SetImageList(
        m_hWnd, pImageList ? pImageList->m_hImageList : nullptr, nImageListType));
}

// ---- small controls ----

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateControl(this, PROGRESS_CLASSW, dwStyle, rect, pParentWnd, nID);
}

BOOL CAnimateCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateControl(this, ANIMATE_CLASSW, dwStyle, rect, pParentWnd, nID);
}

BOOL CAnimateCtrl::Open(UINT nID) {
    LPCWSTR name = MAKEINTRESOURCEW(nID);
    HINSTANCE hInst = AfxFindResourceHandle(name, L"AVI");
    return SendControlMessage<BOOL>(m_hWnd, ACM_OPENW, hInst, name);
}

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CreateControl(this, DATETIMEPICK_CLASSW, dwStyle, rect, pParentWnd, nID);
}

// ---- tooltips ----

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    BOOL created = CWnd::CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, HandleOf(pParentWnd), nullptr);
    if (created)
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return created;
}

TTTOOLINFOW CToolTipCtrl::ToolInfo(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRectTool) const {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    if (nIDTool == 0 && lpRectTool == nullptr) {
        // The whole window is the tool; its parent receives the tooltip's notifications.
        HWND hParent = ::GetParent(pWnd->m_hWnd);
        info.hwnd = hParent != nullptr ? hParent : pWnd->m_hWnd;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.uId = reinterpret_cast<UINT_PTR>(pWnd->m_hWnd);
    } else {
        info.hwnd = pWnd->m_hWnd;
        info.uFlags = TTF_SUBCLASS;
        info.uId = nIDTool;
        if (lpRectTool != nullptr)
            info.rect = *lpRectTool;
        else
            ::GetClientRect(pWnd->m_hWnd, &info.rect);
    }
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return FALSE;
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool, lpRectTool);
    info.lpszText = const_cast<LPWSTR>(lpszText);
    return SendControlMessage<BOOL>(m_hWnd, TTM_ADDTOOLW, 0, &info);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr)
        return FALSE;
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool, lpRectTool);
    info.hinst = AfxFindResourceHandle(MAKEINTRESOURCEW(nIDText / 16 + 1), RT_STRING);
    info.lpszText = MAKEINTRESOURCEW(nIDText);
    return SendControlMessage<BOOL>(m_hWnd, TTM_ADDTOOLW, 0, &info);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool, nullptr);
    SendControlMessage(m_hWnd, TTM_DELTOOLW, 0, &info);
}

void CToolTipCtrl::UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
    TTTOOLINFOW info = ToolInfo(pWnd, nIDTool, nullptr);
    info.lpszText = const_cast<LPWSTR>(lpszText);
    SendControlMessage(m_hWnd, TTM_UPDATETIPTEXTW, 0, &info);
}

// ---- toolbar ----

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
    // The CBRS_ bits describe the bar, not the control.
    DWORD style = (dwStyle & (WS_VISIBLE | WS_DISABLED)) | WS_CHILD | CCS_NOPARENTALIGN |
                  CCS_NORESIZE | CCS_NODIVIDER;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEW, nullptr, style, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    const LPCWSTR kToolbarType = MAKEINTRESOURCEW(241);
    HINSTANCE hInst = AfxFindResourceHandle(name, kToolbarType);
    HRSRC resource = ::FindResourceW(hInst, name, kToolbarType);
    if (resource == nullptr)
        return FALSE;
    auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(hInst, resource)));
    DWORD size = ::SizeofResource(hInst, resource);
    if (bytes == nullptr || size < 8)
        return FALSE;
    WORD first;
    memcpy(&first, bytes, sizeof(first));
    m_commands.clear();
    if (first == 1) {
        // 16-bit fields: version 1, bitmap width, height, count, one command per button.
        WORD count;
        memcpy(&count, bytes + 6, sizeof(count));
        if (size < 8u + 2u * count)
            return FALSE;
        for (WORD i = 0; i < count; ++i) {
            WORD command;
            memcpy(&command, bytes + 8 + 2 * i, sizeof(command));
            m_commands.push_back(command);
        }
    } else {
        // 32-bit fields without a version (the form windres writes): width, height, count,
        // one command per button.
        DWORD count;
        memcpy(&count, bytes + 8, sizeof(count));
        if (size < 12 || count > (size - 12) / 4)
            return FALSE;
        for (DWORD i = 0; i < count; ++i) {
            DWORD command;
            memcpy(&command, bytes + 12 + 4 * i, sizeof(command));
            m_commands.push_back(command);
        }
    }
    return TRUE;
}

int CToolBar::CommandToIndex(UINT nIDFind) const {
    for (size_t i = 0; i < m_commands.size(); ++i) {
        if (m_commands[i] == nIDFind && nIDFind != 0)
            return static_cast<int>(i);
    }
    return -1;
}

UINT CToolBar::GetItemID(int nIndex) const {
    return nIndex >= 0 && static_cast<size_t>(nIndex) < m_commands.size() ? m_commands[nIndex] : 0;
}

int CToolBar::GetItemImage(int nIndex) const {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_commands.size() || m_commands[nIndex] == 0)
        return -1;
    int image = 0;
    for (int i = 0; i < nIndex; ++i) {
        if (m_commands[i] != 0)
            ++image;
    }
    return image;
}
