// The standard controls: CButton, CStatic, CEdit, CComboBox, CListBox, CScrollBar.
// Owner-drawn ones paint through their virtual DrawItem (and MeasureItem), which the parent
// reflects to them.
#pragma once

#include "ControlMessage.h"
#include "Gdi.h"
#include "Window.h"

class XARN_CLASSLIB_API CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
    DECLARE_MESSAGE_MAP()
public:
    CButton() = default;
    virtual BOOL Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                        UINT nID);
    UINT GetState() const { return SendControlMessage<UINT>(m_hWnd, BM_GETSTATE); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight); }
    int GetCheck() const { return SendControlMessage<int>(m_hWnd, BM_GETCHECK); }
    void SetCheck(int nCheck) { SendControlMessage(m_hWnd, BM_SETCHECK, nCheck); }
    UINT GetButtonStyle() const { return static_cast<UINT>(GetStyle()) & 0xFFFF; }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) {
        SendMessage(BM_SETSTYLE, nStyle, bRedraw);
    }
    HBITMAP SetBitmap(HBITMAP hBitmap) {
        return SendControlMessage<HBITMAP>(m_hWnd, BM_SETIMAGE, IMAGE_BITMAP, hBitmap);
    }
    HICON SetIcon(HICON hIcon) {
        return SendControlMessage<HICON>(m_hWnd, BM_SETIMAGE, IMAGE_ICON, hIcon);
    }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// An owner-drawn button that shows one of up to four bitmaps (up, down, focused, disabled).
class XARN_CLASSLIB_API CBitmapButton : public CButton {
    DECLARE_DYNAMIC(CBitmapButton)
    DECLARE_MESSAGE_MAP()
public:
    // From the module that holds each bitmap; 0 skips a state.
    BOOL LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel = 0,
                     UINT nIDBitmapResourceFocus = 0, UINT nIDBitmapResourceDisabled = 0);
    // Sizes the button to its up bitmap.
    void SizeToContent();
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    CBitmap m_bitmap;
    CBitmap m_bitmapSel;
    CBitmap m_bitmapFocus;
    CBitmap m_bitmapDisabled;
};

class XARN_CLASSLIB_API CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
    DECLARE_MESSAGE_MAP()
public:
    CStatic() = default;
    virtual BOOL Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                        UINT nID = 0xFFFF);
    HICON SetIcon(HICON hIcon) { return SendControlMessage<HICON>(m_hWnd, STM_SETICON, hIcon); }
    HICON GetIcon() const { return SendControlMessage<HICON>(m_hWnd, STM_GETICON); }
    HBITMAP SetBitmap(HBITMAP hBitmap) {
        return SendControlMessage<HBITMAP>(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, hBitmap);
    }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class XARN_CLASSLIB_API CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
    DECLARE_MESSAGE_MAP()
public:
    CEdit() = default;
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    void SetLimitText(UINT nMax) { SendMessage(EM_LIMITTEXT, nMax); }
    void LimitText(int nChars = 0) { SendControlMessage(m_hWnd, EM_LIMITTEXT, nChars); }
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE) {
        SendControlMessage(m_hWnd, EM_SETSEL, nStartChar, nEndChar);
        if (!bNoScroll)
            SendMessage(EM_SCROLLCARET);
    }
    void ReplaceSel(LPCWSTR lpszNewText, BOOL bCanUndo = FALSE) {
        SendControlMessage(m_hWnd, EM_REPLACESEL, bCanUndo, lpszNewText);
    }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE) {
        return SendControlMessage<BOOL>(m_hWnd, EM_SETREADONLY, bReadOnly);
    }
    int GetLineCount() const { return SendControlMessage<int>(m_hWnd, EM_GETLINECOUNT); }
    void SetMargins(UINT nLeft, UINT nRight) {
        SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(nLeft, nRight));
    }
};

class XARN_CLASSLIB_API CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
    DECLARE_MESSAGE_MAP()
public:
    CComboBox() = default;
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int AddString(LPCWSTR lpszString) {
        return SendControlMessage<int>(m_hWnd, CB_ADDSTRING, 0, lpszString);
    }
    int InsertString(int nIndex, LPCWSTR lpszString) {
        return SendControlMessage<int>(m_hWnd, CB_INSERTSTRING, nIndex, lpszString);
    }
    int DeleteString(UINT nIndex) {
        return SendControlMessage<int>(m_hWnd, CB_DELETESTRING, nIndex);
    }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return SendControlMessage<int>(m_hWnd, CB_GETCOUNT); }
    int GetCurSel() const { return SendControlMessage<int>(m_hWnd, CB_GETCURSEL); }
    int SetCurSel(int nSelect) { return SendControlMessage<int>(m_hWnd, CB_SETCURSEL, nSelect); }
    int GetLBText(int nIndex, LPWSTR lpszText) const {
        return SendControlMessage<int>(m_hWnd, CB_GETLBTEXT, nIndex, lpszText);
    }
    void GetLBText(int nIndex, CString& rString) const;
    int GetLBTextLen(int nIndex) const {
        return SendControlMessage<int>(m_hWnd, CB_GETLBTEXTLEN, nIndex);
    }
    int FindStringExact(int nIndexStart, LPCWSTR lpszFind) const {
        return SendControlMessage<int>(m_hWnd, CB_FINDSTRINGEXACT, nIndexStart, lpszFind);
    }
    int SelectString(int nStartAfter, LPCWSTR lpszString) {
        return SendControlMessage<int>(m_hWnd, CB_SELECTSTRING, nStartAfter, lpszString);
    }
    DWORD_PTR GetItemData(int nIndex) const {
        return SendControlMessage<DWORD_PTR>(m_hWnd, CB_GETITEMDATA, nIndex);
    }
    int SetItemData(int nIndex, DWORD_PTR dwItemData) {
        return SendControlMessage<int>(m_hWnd, CB_SETITEMDATA, nIndex, dwItemData);
    }
    int SetItemHeight(int nIndex, UINT cyItemHeight) {
        return SendControlMessage<int>(m_hWnd, CB_SETITEMHEIGHT, nIndex, cyItemHeight);
    }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class XARN_CLASSLIB_API CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
    DECLARE_MESSAGE_MAP()
public:
    CListBox() = default;
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    int AddString(LPCWSTR lpszItem) {
        return SendControlMessage<int>(m_hWnd, LB_ADDSTRING, 0, lpszItem);
    }
    int GetCount() const { return SendControlMessage<int>(m_hWnd, LB_GETCOUNT); }
    int GetCurSel() const { return SendControlMessage<int>(m_hWnd, LB_GETCURSEL); }
    int SetCurSel(int nSelect) { return SendControlMessage<int>(m_hWnd, LB_SETCURSEL, nSelect); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class XARN_CLASSLIB_API CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
    DECLARE_MESSAGE_MAP()
public:
    CScrollBar() = default;
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE) {
        return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw);
    }
    void SetScrollRange(int nMinPos, int nMaxPos, BOOL bRedraw = TRUE) {
        ::SetScrollRange(m_hWnd, SB_CTL, nMinPos, nMaxPos, bRedraw);
    }
};
