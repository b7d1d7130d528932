// CDialog: a dialog from a template, modal (DoModal) or modeless (Create).
//
// Dialogs keep the system's dialog class "#32770"; the object is attached while the window is
// created and sees every message first. DoModal creates the dialog hidden and runs the modal
// loop, which shows it when the loop first becomes idle (unless the dialog refuses to be
// shown, e.g. by clearing SWP_SHOWWINDOW in WM_WINDOWPOSCHANGING). A WM_QUIT that reaches the
// loop ends it and is posted again with the same exit code, so every enclosing loop ends too.
#pragma once

#include "Window.h"

class XARN_CLASSLIB_API CDialog : public CWnd {
    DECLARE_DYNCREATE(CDialog)
    DECLARE_MESSAGE_MAP()
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // -1 when the template is missing or the dialog cannot be created.
    virtual INT_PTR DoModal();
    // Modeless: TRUE when the dialog window exists.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    virtual BOOL CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd = nullptr,
                                HINSTANCE hInst = nullptr);
    // Ends the modal loop (or a modeless dialog) with nResult.
    void EndDialog(int nResult);
    void NextDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* pWndCtrl) {
        ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(HandleOf(pWndCtrl)), 1);
    }
    void SetDefID(UINT nID) { ::SendMessageW(m_hWnd, DM_SETDEFID, nID, 0); }
    void MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    LPCWSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

private:
    // Creates the dialog from a template (modal: hidden, owned by hWndOwner).
    BOOL CreateFromTemplate(LPCWSTR lpszTemplateName, HWND hWndParent, bool hidden);
};
