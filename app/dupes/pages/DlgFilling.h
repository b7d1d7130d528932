// CDlgFilling: the window shown over the results list while the list is filled; it starts the
// filling from a timer and closes when the list is full. It offers no cancel.
#pragma once

#include <DlgBaseWnd.h>
#include <HoverButtonWithText.h>

#include <classlib/CommonControls.h>

class CDlgFilling : public CDlgBaseWnd {
    DECLARE_DYNAMIC(CDlgFilling)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT_PTR kFillTimer = 21625;

    explicit CDlgFilling(CWnd* parent);
    ~CDlgFilling() override;

    BOOL OnInitDialog() override;

    CProgressCtrl m_progress;

protected:
    void OnShowWindow(BOOL show, UINT status);
    void OnTimer(UINT_PTR id);
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT type);
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);

    CAnimateCtrl m_animation;
    CHoverButtonWithText m_btnCancel;
    bool m_bStarted = false;
};
