// CDlgShutDown: the countdown pop-up that shuts Windows down, or restarts it, after a job that
// was started with the shutdown switch.
#pragma once

#include "DlgBaseWndPopupNagBase.h"
#include "HoverButtonWithText.h"

#include <classlib/String.h>

class CDlgShutDown : public CDlgBaseWndPopupNagBase {
    DECLARE_DYNAMIC(CDlgShutDown)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kTemplate = 1276;
    static constexpr UINT kCountdownTimer = 12;
    // The quit code with which the program ends instead of restarting Windows while an update
    // of Windows is pending.
    static constexpr int kPendingUpdateExitCode = 18;

    explicit CDlgShutDown(CWnd* parent = nullptr);
    ~CDlgShutDown() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The caption close button and Cancel: end the dialog in shut-down mode, and in restart
    // mode once the request to Windows has failed.
    void OnBtnClose() override;

    bool m_bRestart = false;
    int m_nWidth = 630;
    int m_nHeight = 365;
    CHoverButton m_closeButton;
    CHoverButtonWithText m_okButton;
    CHoverButtonWithText m_cancelButton;
    CString m_strMessage;
    int m_nMinutes = 4;
    int m_nSeconds = 59;
    CString m_strCountdown;
    CString m_strSentence;
    // Windows refused to shut down or restart: the dialog says so and may be closed.
    bool m_bFailed = false;

protected:
    void OnPaint();
    void OnTimer(UINT_PTR id);
    void OnShutDownNow();
    // Shuts Windows down or restarts it, or quits with kPendingUpdateExitCode; false when
    // Windows refused.
    bool ShutDown();
    void ShowFailure();
    void UpdateSentence();
    void UpdateCountdownText();
};
