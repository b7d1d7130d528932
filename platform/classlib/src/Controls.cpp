#include "classlib/Controls.h"

#include "OwnerDraw.h"

#include <owners/WinOwners.h>

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CBitmapButton, CButton)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)

BEGIN_MESSAGE_MAP(CButton, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CBitmapButton, CButton)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CStatic, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CEdit, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CComboBox, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CListBox, CWnd)
END_MESSAGE_MAP()
BEGIN_MESSAGE_MAP(CScrollBar, CWnd)
END_MESSAGE_MAP()

BOOL CButton::Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    return CWnd::CreateEx(0, L"BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return OwnerDrawChildNotify(this, message, wParam, lParam, pResult);
}

BOOL CStatic::Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                     UINT nID) {
    return CWnd::CreateEx(0, L"STATIC", lpszText, dwStyle, rect, pParentWnd, nID);
}

void CStatic::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return OwnerDrawChildNotify(this, message, wParam, lParam, pResult);
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::CreateEx(0, L"EDIT", nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::CreateEx(0, L"COMBOBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CComboBox::GetLBText(int nIndex, CString& rString) const {
    int length = GetLBTextLen(nIndex);
    if (length < 0) {
        rString.Empty();
        return;
    }
    LPWSTR buffer = rString.GetBuffer(length + 1);
    int copied = GetLBText(nIndex, buffer);
    rString.ReleaseBuffer(copied < 0 ? 0 : copied);
}

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return OwnerDrawChildNotify(this, message, wParam, lParam, pResult);
}

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::CreateEx(0, L"LISTBOX", nullptr, dwStyle, rect, pParentWnd, nID);
}

void CListBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CListBox::MeasureItem(LPMEASUREITEMSTRUCT) {}

BOOL CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return OwnerDrawChildNotify(this, message, wParam, lParam, pResult);
}

BOOL CBitmapButton::LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel,
                                UINT nIDBitmapResourceFocus, UINT nIDBitmapResourceDisabled) {
    m_bitmap.DeleteObject();
    m_bitmapSel.DeleteObject();
    m_bitmapFocus.DeleteObject();
    m_bitmapDisabled.DeleteObject();
    if (!m_bitmap.LoadBitmap(nIDBitmapResource))
        return FALSE;
    BOOL all = TRUE;
    if (nIDBitmapResourceSel != 0)
        all &= m_bitmapSel.LoadBitmap(nIDBitmapResourceSel);
    if (nIDBitmapResourceFocus != 0)
        all &= m_bitmapFocus.LoadBitmap(nIDBitmapResourceFocus);
    if (nIDBitmapResourceDisabled != 0)
        all &= m_bitmapDisabled.LoadBitmap(nIDBitmapResourceDisabled);
    return all;
}

void CBitmapButton::SizeToContent() {
    BITMAP bm{};
    if (m_bitmap.m_hObject != nullptr && m_bitmap.GetBitmap(&bm))
        SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CBitmap* bitmap = &m_bitmap;
    UINT state = lpDrawItemStruct->itemState;
    if ((state & ODS_SELECTED) && m_bitmapSel.m_hObject != nullptr)
        bitmap = &m_bitmapSel;
    else if ((state & ODS_FOCUS) && m_bitmapFocus.m_hObject != nullptr)
        bitmap = &m_bitmapFocus;
    else if ((state & ODS_DISABLED) && m_bitmapDisabled.m_hObject != nullptr)
        bitmap = &m_bitmapDisabled;
    if (bitmap->m_hObject == nullptr)
        return;
    const DeviceContext memory(::CreateCompatibleDC(lpDrawItemStruct->hDC));
    if (!memory)
        return;
    HGDIOBJ previous = ::SelectObject(memory.Get(), bitmap->m_hObject);
    const RECT& r = lpDrawItemStruct->rcItem;
    ::BitBlt(lpDrawItemStruct->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory.Get(),
             0, 0, SRCCOPY);
    ::SelectObject(memory.Get(), previous);
}
