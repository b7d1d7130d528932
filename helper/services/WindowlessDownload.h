// Runs the queued transfer without showing a window: a message-only window receives the
// worker's messages and answers its questions as the hidden download dialog does.
#pragma once

#include <windows.h>

#include "Download.h"

class CWindowlessDownload : public CDownload {
public:
    CWindowlessDownload() = default;
    ~CWindowlessDownload() override;

    // Runs the worker to its end on this thread's messages; whether every job arrived.
    // `promptOwner` owns the login prompt.
    bool Run(HWND promptOwner);

protected:
    // The answer to an HTTP login request, after the response was drained: true when the
    // request is to be sent again with the login now set on it. Asks the user with WinInet's
    // own dialog.
    virtual bool PromptForLogin(HINTERNET request);
    // The answer to an FTP server's login refusal: true when `login` now holds the login to
    // try instead. Nobody is asked here.
    virtual bool PromptForServerLogin(DownloadLogin& /*login*/) { return false; }
    // The answer to a failure notice (its message-box style): IDRETRY runs the transfer
    // again. Nobody is asked here, so the run is not repeated.
    virtual int AnswerFailureNotice(int /*style*/) { return 0; }
    // DLM_FILE_PROGRESS and DLM_TOTAL_PROGRESS.
    virtual void OnProgress(UINT /*message*/, WPARAM /*done*/, LPARAM /*total*/) {}
    virtual void OnText(int /*control*/, const CString& /*text*/) {}

    HWND GetMessageWindow() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HWND promptOwner_ = nullptr;
};
