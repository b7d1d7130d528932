#include "classlib/Dialog.h"

#include "classlib/App.h"
#include "classlib/Resources.h"
#include "HookedCreate.h"
#include "WindowState.h"

#include <vector>

IMPLEMENT_DYNCREATE(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

namespace {
// The dialog procedure sees nothing the object has not already handled.
INT_PTR CALLBACK AfxDlgProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// A copy of the template without WS_VISIBLE (both template formats).
std::vector<BYTE> HiddenTemplateCopy(const void* pTemplate, DWORD size) {
    std::vector<BYTE> copy(static_cast<const BYTE*>(pTemplate),
                           static_cast<const BYTE*>(pTemplate) + size);
    bool extended = size >= 4 && copy[2] == 0xFF && copy[3] == 0xFF;
    size_t styleOffset = extended ? 12 : 0;
    if (copy.size() >= styleOffset + sizeof(DWORD)) {
        DWORD style;
        memcpy(&style, copy.data() + styleOffset, sizeof(style));
        style &= ~WS_VISIBLE;
        memcpy(copy.data() + styleOffset, &style, sizeof(style));
    }
    return copy;
}

// The window that a modal dialog without parent is owned by: the active top-level window of
// the program's main window, if there is one.
HWND SafeOwner(CWnd* pParent) {
    HWND hOwner = CWnd::HandleOf(pParent);
    if (hOwner == nullptr) {
        if (CWnd* mainWnd = AfxGetMainWnd())
            hOwner = mainWnd->m_hWnd;
    }
    if (hOwner != nullptr)
        hOwner = ::GetAncestor(hOwner, GA_ROOT);
    if (hOwner != nullptr)
        hOwner = ::GetLastActivePopup(hOwner);
    return hOwner;
}
} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_nIDHelp(nIDTemplate),
      m_pParentWnd(pParentWnd) {}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {}

BOOL CDialog::CreateFromTemplate(LPCWSTR lpszTemplateName, HWND hWndParent, bool hidden) {
    if (lpszTemplateName == nullptr || m_hWnd != nullptr)
        return FALSE;
    HINSTANCE hInst = AfxFindResourceHandle(lpszTemplateName, RT_DIALOG);
    HRSRC hResource = ::FindResourceW(hInst, lpszTemplateName, RT_DIALOG);
    HGLOBAL hGlobal = hResource ? ::LoadResource(hInst, hResource) : nullptr;
    const void* pTemplate = hGlobal ? ::LockResource(hGlobal) : nullptr;
    if (pTemplate == nullptr)
        return FALSE;
    std::vector<BYTE> copy;
    if (hidden) {
        copy = HiddenTemplateCopy(pTemplate, ::SizeofResource(hInst, hResource));
        pTemplate = copy.data();
    }
    return CreateHooked(this, [&] {
        return ::CreateDialogIndirectParamW(hInst, static_cast<LPCDLGTEMPLATEW>(pTemplate),
                                            hWndParent, &AfxDlgProc, 0);
    });
}

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd) {
    m_lpszTemplateName = lpszTemplateName;
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    HWND hParent = HandleOf(m_pParentWnd);
    if (hParent == nullptr)
        hParent = HandleOf(AfxGetMainWnd());
    return CreateFromTemplate(lpszTemplateName, hParent, false);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_nIDHelp = nIDTemplate;
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATEW lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst) {
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    return CreateHooked(this, [&] {
        return ::CreateDialogIndirectParamW(hInst ? hInst : AfxGetResourceHandle(),
                                            lpDialogTemplate, HandleOf(m_pParentWnd), &AfxDlgProc,
                                            0);
    });
}

INT_PTR CDialog::DoModal() {
    HWND hOwner = SafeOwner(m_pParentWnd);
    bool ownerDisabled = false;
    if (hOwner != nullptr && hOwner != ::GetDesktopWindow() && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        ownerDisabled = true;
    }
    m_nModalResult = -1;
    // Set before creation: EndDialog during WM_INITDIALOG ends the loop before it starts.
    m_nFlags |= WF_CONTINUEMODAL;
    if (CreateFromTemplate(m_lpszTemplateName, hOwner, true)) {
        DWORD flags = MLF_SHOWONIDLE;
        if (GetStyle() & DS_NOIDLEMSG)
            flags |= MLF_NOIDLEMSG;
        // EndDialog may already have been called during WM_INITDIALOG.
        if (m_nFlags & WF_CONTINUEMODAL)
            RunModalLoop(flags);
        if (m_hWnd != nullptr)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE |
                               SWP_NOZORDER);
    }
    m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
    // Enable the owner before the dialog goes, so that activation returns to it.
    if (ownerDisabled)
        ::EnableWindow(hOwner, TRUE);
    if (hOwner != nullptr && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(hOwner);
    DestroyWindow();
    return m_nModalResult;
}

int CWnd::RunModalLoop(DWORD dwFlags) {
    bool idle = true;
    LONG idleCount = 0;
    bool showOnIdle = (dwFlags & MLF_SHOWONIDLE) && !(GetStyle() & WS_VISIBLE);
    HWND hWndParent = ::GetParent(m_hWnd);
    m_nFlags |= WF_CONTINUEMODAL | WF_MODALLOOP;
    MSG peek{};
    for (;;) {
        while (idle && !::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
                showOnIdle = false;
            }
            if (!(dwFlags & MLF_NOIDLEMSG) && hWndParent != nullptr && idleCount == 0)
                ::SendMessageW(hWndParent, WM_ENTERIDLE, MSGF_DIALOGBOX,
                               reinterpret_cast<LPARAM>(m_hWnd));
            if ((dwFlags & MLF_NOKICKIDLE) ||
                !SendMessage(WM_KICKIDLE, MSGF_DIALOGBOX, idleCount++))
                idle = false;
            AfxDeleteTempMaps();
            if (!ContinueModal())
                goto done;
        }
        do {
            if (!AfxPumpMessage()) {
                // Keep the quit (and its code) for the loops around this one.
                ::PostQuitMessage(static_cast<int>(AfxGetCurrentMessage()->wParam));
                m_nModalResult = -1;
                goto done;
            }
            if (!ContinueModal())
                goto done;
            MSG& current = AfxGetThreadState().msgCur;
            CWinThread* thread = AfxGetThread();
            if (thread != nullptr ? thread->IsIdleMessage(&current) : current.message != WM_PAINT) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
done:
    m_nFlags &= ~(WF_CONTINUEMODAL | WF_MODALLOOP);
    return m_nModalResult;
}

BOOL CWnd::ContinueModal() {
    return (m_nFlags & WF_CONTINUEMODAL) != 0;
}

void CWnd::EndModalLoop(int nResult) {
    m_nModalResult = nResult;
    if (m_nFlags & WF_CONTINUEMODAL) {
        m_nFlags &= ~WF_CONTINUEMODAL;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0); // wakes the loop
    }
}

void CDialog::EndDialog(int nResult) {
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(nResult);
    else
        ::EndDialog(m_hWnd, nResult);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!input || m_hWnd == nullptr)
        return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
        return FALSE;
    // Only keyboard navigation needs the dialog manager; mouse input is dispatched normally.
    if (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST)
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}
