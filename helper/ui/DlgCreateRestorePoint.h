// CDlgCreateRestorePoint: a small modal wait dialog with a looping animation while a System
// Restore point is made; it ends by itself with the outcome.
#pragma once

#include "DlgBaseWnd.h"

#include <classlib/CommonControls.h>
#include <classlib/Controls.h>

class CDlgCreateRestorePoint : public CDlgBaseWnd {
    DECLARE_DYNCREATE(CDlgCreateRestorePoint)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kStartTimer = 101;
    static constexpr UINT kCloseTimer = 102;
    // The dialog's result when the restore point could not be made (IDOK when it was).
    static constexpr int kFailed = IDABORT;

    explicit CDlgCreateRestorePoint(CWnd* parent = nullptr);
    ~CDlgCreateRestorePoint() override;

    void DoDataExchange(CDataExchange* dx) override;
    // Shows nothing: the dialog needs a description (DoModalWithText).
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    virtual INT_PTR DoModalWithText(CString description);

    CString m_strDescription;
    CStatic m_waitText;
    CAnimateCtrl m_animation;
    int m_nOutcome = kFailed;

protected:
    void StartRestorePointAnimation();
    void OnTimer(UINT_PTR id);
};
