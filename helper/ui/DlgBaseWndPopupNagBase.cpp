#include "DlgBaseWndPopupNagBase.h"

#include "PopupServices.h"

IMPLEMENT_DYNCREATE(CDlgBaseWndPopupNagBase, CDlgBaseChildPopUpWndBase)

BEGIN_MESSAGE_MAP(CDlgBaseWndPopupNagBase, CDlgBaseChildPopUpWndBase)
ON_COMMAND(IDOK, &CDlgBaseWndPopupNagBase::OnOK)
ON_WM_SIZE()
ON_COMMAND(IDCANCEL, &CDlgBaseWndPopupNagBase::OnCancel)
END_MESSAGE_MAP()

CDlgBaseWndPopupNagBase::CDlgBaseWndPopupNagBase() = default;

CDlgBaseWndPopupNagBase::CDlgBaseWndPopupNagBase(UINT templateId, CWnd* parent)
    : CDlgBaseChildPopUpWndBase(templateId, parent) {
    m_bOverOverlay = 1;
    m_bHasCloseBox = 0;
    m_bBottomBar = 1;
    m_bMaximizeAllowed = 0;
    m_nCaptionStyle = 0;
}

CDlgBaseWndPopupNagBase::~CDlgBaseWndPopupNagBase() = default;

void CDlgBaseWndPopupNagBase::SetResultAndClose(int code) {
    m_nResultCode = code;
    CloseDialogOk(this);
}

void CDlgBaseWndPopupNagBase::OnOK() {
    SetResultAndClose(IDOK);
}

void CDlgBaseWndPopupNagBase::OnCancel() {
    SetResultAndClose(IDCANCEL);
}

void CDlgBaseWndPopupNagBase::OnSize(UINT type, int cx, int cy) {
    CDlgBaseWnd::OnSize(type, cx, cy);
    CWnd* main = AfxGetMainWnd();
    if (main != nullptr && ::IsWindow(main->GetSafeHwnd()))
        CenterWindow(main);
    PlaceCaptionButtons(9);
}
