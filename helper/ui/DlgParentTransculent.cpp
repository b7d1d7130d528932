#include "DlgParentTransculent.h"

#include "BitmapDrawing.h"
#include "DlgBaseChildPopUpWndBase.h"
#include "WindowUtilities.h"

IMPLEMENT_DYNAMIC(CDlgParentTransculent, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgParentTransculent, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_MESSAGE(WM_KICKIDLE, &CDlgParentTransculent::OnKickIdle)
END_MESSAGE_MAP()

namespace {
constexpr UINT kOverlayTemplate = 1274;
constexpr UINT kOverlayBitmap = 1170;
} // namespace

CDlgParentTransculent::CDlgParentTransculent(CWnd* parent)
    : CDlgBaseWnd(kOverlayTemplate, parent), m_pParent(parent) {
    m_bIgnoreHeldEnter = 0;
    m_bIgnoreHeldEscape = 0;
}

CDlgParentTransculent::~CDlgParentTransculent() = default;

void CDlgParentTransculent::SetTarget(int left, int top, int right, int bottom,
                                      CDlgBaseChildPopUpWndBase* popup, UINT popupTemplateId) {
    m_rcTarget.SetRect(left, top, right, bottom);
    m_pPopup = popup;
    m_nPopupTemplateId = popupTemplateId;
}

BOOL CDlgParentTransculent::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!LoadBitmapWithSize(kOverlayBitmap, &m_bmpBackground, &m_nBitmapWidth, &m_nBitmapHeight))
        m_bmpBackground.DeleteObject();
    CRect target = m_rcTarget;
    target.DeflateRect(1, 1);
    MoveWindow(&target, TRUE);
    CRect client;
    GetClientRect(&client);
    SetWindowRgn(::CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, 8, 8),
                 TRUE);
    // Without layered windows the overlay stays opaque; the pop-up works the same.
    static_cast<void>(SetWindowTransparency(m_hWnd, kAlpha));
    if (m_pPopup != nullptr && m_pPopup->Create(m_nPopupTemplateId, this)) {
        m_pPopup->ShowWindow(SW_HIDE);
        m_pPopup->ShowWindow(SW_SHOWNORMAL);
    }
    return TRUE;
}

void CDlgParentTransculent::OnOK() {}

void CDlgParentTransculent::OnCancel() {}

void CDlgParentTransculent::CloseOverlay() {
    CDialog::OnOK();
}

// The modal loop shows the overlay when it first goes idle, after the pop-up was shown, and
// without a window manager the overlay then lies above the window it owns. Each time the loop
// goes idle the pop-up is laid back on top if it lies below, as a window manager keeps it; the
// keyboard stays where it is.
LRESULT CDlgParentTransculent::OnKickIdle(WPARAM, LPARAM idleCount) {
    if (idleCount != 0 || m_pPopup == nullptr || !::IsWindow(m_pPopup->m_hWnd))
        return 0;
    HWND window = ::GetTopWindow(nullptr);
    while (window != nullptr && window != m_hWnd && window != m_pPopup->m_hWnd)
        window = ::GetWindow(window, GW_HWNDNEXT);
    if (window == m_hWnd)
        // A pop-up left under its overlay still answers the keyboard: nothing to undo.
        static_cast<void>(::SetWindowPos(m_pPopup->m_hWnd, HWND_TOP, 0, 0, 0, 0,
                                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
    return 0;
}

void CDlgParentTransculent::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    DrawBitmapStretched(&dc, 0, 0, client.Width(), client.Height(), 0, 0, m_nBitmapWidth,
                        m_nBitmapHeight, &m_bmpBackground, SRCCOPY);
}

BOOL CDlgParentTransculent::OnEraseBkgnd(CDC*) {
    return FALSE;
}
