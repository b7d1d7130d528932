#include "DlgParentTransculent.h"

#include "BitmapDrawing.h"
#include "DlgBaseChildPopUpWndBase.h"
#include "WindowUtilities.h"

IMPLEMENT_DYNAMIC(CDlgParentTransculent, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgParentTransculent, CDlgBaseWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
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
