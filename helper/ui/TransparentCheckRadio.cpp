#include "TransparentCheckRadio.h"

IMPLEMENT_DYNAMIC(CTransparentCheckRadio, CButton)

BEGIN_MESSAGE_MAP(CTransparentCheckRadio, CButton)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CTransparentCheckRadio::CTransparentCheckRadio() = default;

CTransparentCheckRadio::~CTransparentCheckRadio() = default;

HBRUSH CTransparentCheckRadio::CtlColor(CDC* dc, UINT) {
    // One brush for every such control, kept for the life of the process.
    static const HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
    dc->SetBkMode(TRANSPARENT);
    dc->SetBkColor(RGB(255, 255, 255));
    dc->SetTextColor(RGB(45, 54, 72));
    return white;
}

BOOL CTransparentCheckRadio::OnEraseBkgnd(CDC*) {
    return TRUE;
}
