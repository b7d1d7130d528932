// The common controls: image lists, list and tree views, header, progress bar, animation,
// date-time picker, tooltips and the (hidden, lookup-only) toolbar.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "ControlMessage.h"
#include "Gdi.h"
#include "Window.h"

#ifndef CBRS_TOP
#define CBRS_TOP 0x2000
#endif

class XARN_CLASSLIB_API CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() = default;
    ~CImageList() override;
    HIMAGELIST m_hImageList = nullptr;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    // A wrapper that lives until the thread is next idle and never destroys the list.
    static CImageList* FromHandle(HIMAGELIST hImageList);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
        return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
    }
    // Images cx wide from a bitmap resource (found with AfxFindResourceHandle).
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
    int Add(CBitmap* pbmImage, CBitmap* pbmMask) {
        return ImageList_Add(m_hImageList, static_cast<HBITMAP>(pbmImage->m_hObject),
                             pbmMask ? static_cast<HBITMAP>(pbmMask->m_hObject) : nullptr);
    }
    int Add(CBitmap* pbmImage, COLORREF crMask) {
        return ImageList_AddMasked(m_hImageList, static_cast<HBITMAP>(pbmImage->m_hObject), crMask);
    }
    int Add(HICON hIcon) { return ImageList_AddIcon(m_hImageList, hIcon); }
    BOOL Replace(int nImage, HICON hIcon) {
        return ImageList_ReplaceIcon(m_hImageList, nImage, hIcon) >= 0;
    }
    BOOL Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask) {
        return ImageList_Replace(m_hImageList, nImage, static_cast<HBITMAP>(pbmImage->m_hObject),
                                 pbmMask ? static_cast<HBITMAP>(pbmMask->m_hObject) : nullptr);
    }
    BOOL Remove(int nImage) { return ImageList_Remove(m_hImageList, nImage); }
    HICON ExtractIcon(int nImage) { return ImageList_ExtractIcon(nullptr, m_hImageList, nImage); }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
        return ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
    }
    COLORREF SetBkColor(COLORREF cr) { return ImageList_SetBkColor(m_hImageList, cr); }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const {
        return ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
    }
};

class XARN_CLASSLIB_API CHeaderCtrl : public CWnd {
    DECLARE_DYNAMIC(CHeaderCtrl)
    DECLARE_MESSAGE_MAP()
public:
    int GetItemCount() const { return Header_GetItemCount(m_hWnd); }
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const {
        return Header_GetItemRect(m_hWnd, nIndex, lpRect);
    }
    BOOL GetItem(int nPos, HDITEMW* pHeaderItem) const {
        return Header_GetItem(m_hWnd, nPos, pHeaderItem);
    }
    BOOL SetItem(int nPos, HDITEMW* pHeaderItem) {
        return Header_SetItem(m_hWnd, nPos, pHeaderItem);
    }
};

class XARN_CLASSLIB_API CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    int InsertColumn(int nCol, const LVCOLUMNW* pColumn) {
        return ListView_InsertColumn(m_hWnd, nCol, pColumn);
    }
    int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1, int nSubItem = -1);
    BOOL DeleteColumn(int nCol) { return ListView_DeleteColumn(m_hWnd, nCol); }
    int GetColumnWidth(int nCol) const { return ListView_GetColumnWidth(m_hWnd, nCol); }
    BOOL SetColumnWidth(int nCol, int cx) { return ListView_SetColumnWidth(m_hWnd, nCol, cx); }
    BOOL GetColumn(int nCol, LVCOLUMNW* pColumn) const {
        return ListView_GetColumn(m_hWnd, nCol, pColumn);
    }
    CHeaderCtrl* GetHeaderCtrl() const {
        return static_cast<CHeaderCtrl*>(CWnd::FromHandle(ListView_GetHeader(m_hWnd)));
    }

    int InsertItem(const LVITEMW* pItem) { return ListView_InsertItem(m_hWnd, pItem); }
    int InsertItem(int nItem, LPCWSTR lpszItem);
    int InsertItem(int nItem, LPCWSTR lpszItem, int nImage);
    BOOL DeleteItem(int nItem) { return ListView_DeleteItem(m_hWnd, nItem); }
    BOOL DeleteAllItems() { return ListView_DeleteAllItems(m_hWnd); }
    int GetItemCount() const { return ListView_GetItemCount(m_hWnd); }
    BOOL GetItem(LVITEMW* pItem) const { return ListView_GetItem(m_hWnd, pItem); }
    BOOL SetItem(const LVITEMW* pItem) { return ListView_SetItem(m_hWnd, pItem); }
    BOOL SetItemText(int nItem, int nSubItem, LPCWSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    DWORD_PTR GetItemData(int nItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    UINT GetItemState(int nItem, UINT nMask) const {
        return ListView_GetItemState(m_hWnd, nItem, nMask);
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    int GetNextItem(int nItem, int nFlags) const {
        return ListView_GetNextItem(m_hWnd, nItem, nFlags);
    }
    UINT GetSelectedCount() const { return ListView_GetSelectedCount(m_hWnd); }
    BOOL GetCheck(int nItem) const { return ListView_GetCheckState(m_hWnd, nItem); }
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE) {
        ListView_SetCheckState(m_hWnd, nItem, fCheck);
        return TRUE;
    }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK) {
        return ListView_EnsureVisible(m_hWnd, nItem, bPartialOK);
    }
    int GetTopIndex() const { return ListView_GetTopIndex(m_hWnd); }
    int GetCountPerPage() const { return ListView_GetCountPerPage(m_hWnd); }
    BOOL RedrawItems(int nFirst, int nLast) { return ListView_RedrawItems(m_hWnd, nFirst, nLast); }
    BOOL Update(int nItem) { return ListView_Update(m_hWnd, nItem); }
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
        return ListView_GetItemRect(m_hWnd, nItem, lpRect, nCode);
    }
    BOOL GetSubItemRect(int iItem, int iSubItem, int nArea, RECT& ref) const {
        return ListView_GetSubItemRect(m_hWnd, iItem, iSubItem, nArea, &ref);
    }
    int HitTest(LVHITTESTINFO* pHitTestInfo) const {
        return ListView_HitTest(m_hWnd, pHitTestInfo);
    }
    int HitTest(POINT pt, UINT* pFlags = nullptr) const;
    int SubItemHitTest(LVHITTESTINFO* pInfo) { return ListView_SubItemHitTest(m_hWnd, pInfo); }
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    CImageList* GetImageList(int nImageList) const;
    DWORD SetExtendedStyle(DWORD dwNewStyle) {
        return ListView_SetExtendedListViewStyle(m_hWnd, dwNewStyle);
    }
    DWORD GetExtendedStyle() const { return ListView_GetExtendedListViewStyle(m_hWnd); }
    BOOL SetBkColor(COLORREF cr) { return ListView_SetBkColor(m_hWnd, cr); }
    BOOL SetTextBkColor(COLORREF cr) { return ListView_SetTextBkColor(m_hWnd, cr); }
    BOOL SetTextColor(COLORREF cr) { return ListView_SetTextColor(m_hWnd, cr); }
    BOOL SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
        return ListView_SortItems(m_hWnd, pfnCompare, dwData);
    }

    // Owner-drawn report lists paint and size their rows here.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class XARN_CLASSLIB_API CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    HTREEITEM InsertItem(LPTVINSERTSTRUCTW lpInsertStruct) {
        return TreeView_InsertItem(m_hWnd, lpInsertStruct);
    }
    HTREEITEM InsertItem(LPCWSTR lpszItem, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST);
    BOOL DeleteItem(HTREEITEM hItem) { return TreeView_DeleteItem(m_hWnd, hItem); }
    BOOL DeleteAllItems() { return TreeView_DeleteAllItems(m_hWnd); }
    HTREEITEM GetRootItem() const { return TreeView_GetRoot(m_hWnd); }
    HTREEITEM GetSelectedItem() const { return TreeView_GetSelection(m_hWnd); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return TreeView_GetParent(m_hWnd, hItem); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return TreeView_GetChild(m_hWnd, hItem); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const {
        return TreeView_GetNextSibling(m_hWnd, hItem);
    }
    BOOL ItemHasChildren(HTREEITEM hItem) const { return GetChildItem(hItem) != nullptr; }
    BOOL SelectItem(HTREEITEM hItem) { return TreeView_SelectItem(m_hWnd, hItem); }
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return TreeView_Expand(m_hWnd, hItem, nCode); }
    BOOL EnsureVisible(HTREEITEM hItem) { return TreeView_EnsureVisible(m_hWnd, hItem); }
    CString GetItemText(HTREEITEM hItem) const;
    BOOL SetItemText(HTREEITEM hItem, LPCWSTR lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    BOOL GetItem(TVITEMW* pItem) const { return TreeView_GetItem(m_hWnd, pItem); }
    BOOL SetItem(TVITEMW* pItem) { return TreeView_SetItem(m_hWnd, pItem); }
    HTREEITEM HitTest(POINT pt, UINT* pFlags = nullptr) const;
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
};

class XARN_CLASSLIB_API CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetRange(short nLower, short nUpper) {
        SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    void SetRange32(int nLower, int nUpper) {
        SendControlMessage(m_hWnd, PBM_SETRANGE32, nLower, nUpper);
    }
    int SetPos(int nPos) { return SendControlMessage<int>(m_hWnd, PBM_SETPOS, nPos); }
    int GetPos() const { return SendControlMessage<int>(m_hWnd, PBM_GETPOS); }
    int OffsetPos(int nPos) { return SendControlMessage<int>(m_hWnd, PBM_DELTAPOS, nPos); }
    int SetStep(int nStep) { return SendControlMessage<int>(m_hWnd, PBM_SETSTEP, nStep); }
    int StepIt() { return SendControlMessage<int>(m_hWnd, PBM_STEPIT); }
    COLORREF SetBarColor(COLORREF clrBar) {
        return SendControlMessage<COLORREF>(m_hWnd, PBM_SETBARCOLOR, 0, clrBar);
    }
    COLORREF SetBkColor(COLORREF clrNew) {
        return SendControlMessage<COLORREF>(m_hWnd, PBM_SETBKCOLOR, 0, clrNew);
    }
};

class XARN_CLASSLIB_API CAnimateCtrl : public CWnd {
    DECLARE_DYNAMIC(CAnimateCtrl)
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // The AVI resource from the module that holds it (resource type "AVI").
    BOOL Open(UINT nID);
    BOOL Open(LPCWSTR lpszFileName) {
        return SendControlMessage<BOOL>(m_hWnd, ACM_OPENW, 0, lpszFileName);
    }
    BOOL Play(UINT nFrom, UINT nTo, UINT nRep) {
        return SendControlMessage<BOOL>(m_hWnd, ACM_PLAY, nRep, MAKELPARAM(nFrom, nTo));
    }
    BOOL Stop() { return SendControlMessage<BOOL>(m_hWnd, ACM_STOP); }
    BOOL Close() { return SendControlMessage<BOOL>(m_hWnd, ACM_OPENW); }
    BOOL Seek(UINT nTo) {
        return SendControlMessage<BOOL>(m_hWnd, ACM_PLAY, 1, MAKELPARAM(nTo, nTo));
    }
};

class XARN_CLASSLIB_API CDateTimeCtrl : public CWnd {
    DECLARE_DYNAMIC(CDateTimeCtrl)
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // GDT_VALID, or GDT_NONE when the control shows no date.
    DWORD GetTime(LPSYSTEMTIME pTimeDest) const {
        return DateTime_GetSystemtime(m_hWnd, pTimeDest);
    }
    BOOL SetTime(const SYSTEMTIME* pTimeNew) {
        return DateTime_SetSystemtime(m_hWnd, GDT_VALID, const_cast<LPSYSTEMTIME>(pTimeNew));
    }
    BOOL SetFormat(LPCWSTR pstrFormat) { return DateTime_SetFormat(m_hWnd, pstrFormat); }
};

class XARN_CLASSLIB_API CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
    DECLARE_MESSAGE_MAP()
public:
    // A tooltip window owned by pParentWnd (always on top, shown even when inactive).
    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // A tool for the whole window pWnd (or the rectangle lpRectTool of it, with its own id).
    BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText = LPSTR_TEXTCALLBACKW, LPCRECT lpRectTool = nullptr,
                 UINT_PTR nIDTool = 0);
    BOOL AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCWSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    int GetToolCount() const { return SendControlMessage<int>(m_hWnd, TTM_GETTOOLCOUNT); }
    void RelayEvent(LPMSG lpMsg) { SendControlMessage(m_hWnd, TTM_RELAYEVENT, 0, lpMsg); }
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    int SetMaxTipWidth(int iWidth) {
        return SendControlMessage<int>(m_hWnd, TTM_SETMAXTIPWIDTH, 0, iWidth);
    }
    void SetDelayTime(UINT nDelay) { SendMessage(TTM_SETDELAYTIME, TTDT_AUTOMATIC, nDelay); }

private:
    TTTOOLINFOW ToolInfo(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRectTool) const;
};

// A toolbar, used only to look up a command's button image in a toolbar resource.
class XARN_CLASSLIB_API CToolBar : public CWnd {
    DECLARE_DYNAMIC(CToolBar)
    DECLARE_MESSAGE_MAP()
public:
    virtual BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                        UINT nID = 0xE800);
    // Reads the toolbar resource (the command of each button); FALSE when it is missing.
    BOOL LoadToolBar(UINT nIDResource);
    int CommandToIndex(UINT nIDFind) const;
    UINT GetItemID(int nIndex) const;
    int GetCount() const { return static_cast<int>(m_commands.size()); }
    // The image of button nIndex (separators have none).
    int GetItemImage(int nIndex) const;

private:
    std::vector<UINT> m_commands; // 0 for separators
};
