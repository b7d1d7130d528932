// The transfer engine of the downloader: fetches every queued file on a worker thread over
// HTTP or FTP, resumes partial files, and reports status, progress and its questions to the
// window that owns it by posted messages (DownloadMessages.h).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

#include <classlib/String.h>

#include "DownloadQueue.h"
#include "InternetHandle.h"

#include <owners/WinOwners.h>

// The login an FTP server asks for, handed to the owner with DLM_LOGIN_REQUIRED.
struct DownloadLogin {
    CString user;
    CString password;
};

class CDownload {
public:
    // Redirects followed for one file before the transfer fails.
    static constexpr int kMaxRedirects = 10;

    CDownload();
    // Deletes the current file's destination when the run did not succeed and resume is off;
    // the worker must have ended.
    virtual ~CDownload();
    CDownload(const CDownload&) = delete;
    CDownload& operator=(const CDownload&) = delete;

    // The window that receives the worker's messages; set before the worker starts.
    void SetOwnerWindow(HWND owner) { owner_ = owner; }
    // Thread entry for CreateThread: runs ThreadLoop of the CDownload given.
    static DWORD WINAPI WorkerThread(void* download);
    // Runs the transfer, again while the owner answers a failure with IDRETRY, then posts
    // DLM_FINISHED.
    void ThreadLoop();

    // The owner's answers to DLM_AUTH_REQUIRED and DLM_LOGIN_REQUIRED (retry: send again
    // with what the owner set) and to DLM_FAILED (IDRETRY runs the transfer again).
    void AnswerPrompt(bool retry);
    void AnswerFailure(int answerCode);
    // Ends the transfer from another thread: closes its handles and the shared session (the
    // next transfer opens a new one). The worker then ends without a failure notice.
    void Abort();

    bool Succeeded() const { return succeeded_; }
    bool IsAborted() const { return abort_; }
    // The failure's text; read after the worker has ended.
    const CString& GetLastErrorText() const { return lastError_; }

    // The text of a DLM_SET_TEXT message; frees what the worker allocated.
    static CString TakePostedText(LPARAM text);
    // Reads and drops what is left of a response, before the request is sent again.
    static void DrainResponse(HINTERNET request);

private:
    struct CrackedUrl;

    bool DownloadFile();
    bool EnsureSession();
    void InstallStatusCallback();
    INT32 QueryRemoteFileInfo(CString url);
    bool FetchJob(DownloadJob& job, DWORD& allBytes);
    bool ReadToFile(HANDLE file, DWORD fileSize, DWORD& allBytes, DWORD startOffset,
                    DownloadJob& job);
    void ShowProgress(DWORD fileSize, DWORD fileBytes, DWORD allBytes, DWORD elapsed);

    bool Connect(const CrackedUrl& url, DWORD service, DWORD flags);
    bool OpenHttpRequest(const CrackedUrl& url, LPCWSTR verb, DWORD flags);
    // Sends the request; a 401 or 407 is answered through the owner's prompt and the request
    // sent again. False when sending fails or the prompt is declined.
    bool SendWithLogin(LPCWSTR headers, DWORD& status);
    void CloseTransferHandles();
    bool StartAtZero(HANDLE file);

    bool Fail(LPCWSTR key, const CString& first = CString(), const CString& second = CString(),
              const CString& third = CString());
    bool Post(UINT message, WPARAM wParam, LPARAM lParam);
    void PostText(int control, const CString& text);
    // Posts a question and waits for the owner's answer: ends with the answer, or without
    // one when the transfer is aborted or the owner's window is gone.
    bool AskOwner(UINT message, WPARAM wParam, LPARAM lParam);

    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                        LPVOID information, DWORD informationLength);

    CInternetHandle connection_;
    CInternetHandle request_; // the HTTP request or the FTP file
    HWND owner_ = nullptr;
    std::atomic<bool> mayRetry_{true};
    std::atomic<bool> abort_{false};
    std::atomic<bool> retryAnswer_{false};
    std::atomic<int> answerCode_{0};
    DWORD startTick_ = 0;
    DWORD runBytes_ = 0; // received in this run, resumed bytes not counted
    int fileNumber_ = 0;
    int fileCount_ = 0;
    INT32 overallSize_ = -1;
    CString currentDestination_;
    CString lastError_;
    DownloadLogin login_;
    bool loginGiven_ = false;
    bool callbackInstalled_ = false;
    KernelHandle answerEvent_; // manual reset, unsignalled at start
    std::atomic<bool> succeeded_{false};
};
