// CDlgParentTransculent: the translucent rounded overlay laid over the main window while a
// pop-up runs as its child; Enter and Escape do nothing on it, only CloseOverlay ends it.
#pragma once

#include "DlgBaseWnd.h"

class CDlgBaseChildPopUpWndBase;

class CDlgParentTransculent : public CDlgBaseWnd {
    DECLARE_DYNAMIC(CDlgParentTransculent)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr BYTE kAlpha = 171;

    explicit CDlgParentTransculent(CWnd* parent);
    ~CDlgParentTransculent() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void SetTarget(int left, int top, int right, int bottom, CDlgBaseChildPopUpWndBase* popup,
                   UINT popupTemplateId);
    void CloseOverlay();

    int m_nBitmapWidth = 0;
    int m_nBitmapHeight = 0;
    int m_nReserved = 3;
    CWnd* m_pParent = nullptr;
    CDlgBaseChildPopUpWndBase* m_pPopup = nullptr;
    UINT m_nPopupTemplateId = 0;
    CRect m_rcTarget;
    CRect m_rcSpare;
    CBitmap m_bmpBackground;

protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    LRESULT OnKickIdle(WPARAM, LPARAM idleCount);
};
