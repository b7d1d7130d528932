// CDownloadDlg: the downloader's modal progress dialog; it owns the transfer's worker and
// answers its questions.
#pragma once

#include "DlgBaseChildPopUpWndBase.h"
#include "Download.h"
#include "HoverButtonWithText.h"

#include <owners/ComApartment.h>
#include <owners/WinOwners.h>

#include <classlib/CommonControls.h>
#include <classlib/String.h>

#include <optional>

class CDownloadDlg : public CDlgBaseChildPopUpWndBase, public CDownload {
    DECLARE_DYNAMIC(CDownloadDlg)
    DECLARE_MESSAGE_MAP()
public:
    static constexpr UINT kTemplate = 1283;
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 391;

    explicit CDownloadDlg(CWnd* owner);
    // Ends a worker that is still running (it is told to abort) before the transfer's state
    // goes.
    ~CDownloadDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    // Asks whether to stop the transfer, then aborts it; the worker's end closes the dialog.
    void OnCancel() override;
    void OnBtnClose() override;

    CString m_strTitle;
    CString m_strLabel;
    CString m_strDescription;
    CHoverButtonWithText m_cancelButton;
    CProgressCtrl m_fileBar;
    CProgressCtrl m_totalBar;
    HWND m_hWndToShow = nullptr;
    bool m_bQuestionOpen = false;
    bool m_bWorkerFinished = false;

protected:
    // The answer to a server's login request, after the response was drained: true when the
    // request is to be sent again. Asks the user with WinInet's own dialog.
    virtual bool PromptForLogin(HINTERNET request);
    // Whether to stop the transfer: asks the user in the product's message box.
    virtual bool ConfirmAbort();

    LRESULT OnFinished(WPARAM wParam, LPARAM lParam);
    LRESULT OnAuthRequired(WPARAM wParam, LPARAM lParam);
    LRESULT OnFailed(WPARAM wParam, LPARAM lParam);
    LRESULT OnFileProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnTotalProgress(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnLoginRequired(WPARAM wParam, LPARAM lParam);
    void OnWindowPosChanging(WINDOWPOS* position);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnPaint();
    void OnDestroy();

private:
    void Close();
    void WaitForWorker();

    // The dialog's thread in a COM apartment while the transfer runs (WinInet's dialogs and
    // the shell may need it); left when the dialog goes, after the worker ended.
    std::optional<ComApartment> m_comApartment;
    KernelHandle m_worker;
};
