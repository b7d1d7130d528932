#include "DlgCreateRestorePoint.h"

#include "IniReader.h"
#include "ProductIdentity.h"
#include "RestorePoint.h"
#include "UiFonts.h"

#include <classlib/Resources.h>

IMPLEMENT_DYNCREATE(CDlgCreateRestorePoint, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgCreateRestorePoint, CDlgBaseWnd)
ON_WM_TIMER()
END_MESSAGE_MAP()

namespace {
constexpr UINT kTemplate = 12560;
constexpr int kWaitTextId = 12549;
constexpr int kAnimationId = 12526;
constexpr UINT kAnimationResource = 1408;
constexpr UINT kTimerMilliseconds = 512;
} // namespace

CDlgCreateRestorePoint::CDlgCreateRestorePoint(CWnd* parent) : CDlgBaseWnd(kTemplate, parent) {}

CDlgCreateRestorePoint::~CDlgCreateRestorePoint() = default;

void CDlgCreateRestorePoint::DoDataExchange(CDataExchange* dx) {
    CDlgBaseWnd::DoDataExchange(dx);
    DDX_Control(dx, kWaitTextId, m_waitText);
    DDX_Control(dx, kAnimationId, m_animation);
}

INT_PTR CDlgCreateRestorePoint::DoModal() {
    return E_NOTIMPL;
}

INT_PTR CDlgCreateRestorePoint::DoModalWithText(CString description) {
    m_strDescription = description;
    m_nOutcome = kFailed;
    return CDialog::DoModal();
}

BOOL CDlgCreateRestorePoint::OnInitDialog() {
    CDlgBaseWnd::OnInitDialog();
    // The product name goes where the text holds "%s"; nothing else in it is a format.
    CString wait = GetLangString(L"IDC_ST_PLS_WAIT", L"IDD_DLG_CREATE_RESTORE_POINT");
    wait.Replace(L"%s", L"Stellmark");
    SetDlgItemText(kWaitTextId, wait);
    // Without the template's font record the dialog keeps the dialog manager's layout.
    static_cast<void>(m_templateFont.Apply(GetResourceInstance(), m_hWnd, kTemplate, 96.0));
    CenterWindow(AfxGetMainWnd());
    if (CWnd* text = GetDlgItem(kWaitTextId))
        text->SetFont(&g_fontUIBold, TRUE);
    StartRestorePointAnimation();
    return TRUE;
}

void CDlgCreateRestorePoint::StartRestorePointAnimation() {
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(kAnimationResource), L"AVI");
    if (m_animation.GetSafeHwnd() != nullptr &&
        m_animation.SendMessageW(ACM_OPENW, reinterpret_cast<WPARAM>(module),
                                 reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(kAnimationResource))))
        m_animation.SendMessageW(ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    SetTimer(kStartTimer, kTimerMilliseconds, nullptr);
}

void CDlgCreateRestorePoint::OnTimer(UINT_PTR id) {
    KillTimer(id);
    if (id == kStartTimer) {
        m_nOutcome = CreateRestorePoint(m_strDescription) ? IDOK : kFailed;
        SetTimer(kCloseTimer, kTimerMilliseconds, nullptr);
    } else if (id == kCloseTimer) {
        // Ended directly: a held Enter must not keep the finished dialog open.
        EndDialog(m_nOutcome);
    }
}
