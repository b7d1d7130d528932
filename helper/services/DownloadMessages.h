// The messages the download worker posts to the window that owns it, and what they carry.
#pragma once

#include <windows.h>

// The worker has ended (wParam, lParam 0).
constexpr UINT DLM_FINISHED = WM_USER + 0x100;
// The server asks for a login: wParam is the HTTP request handle. The owner answers with
// CDownload::AnswerPrompt.
constexpr UINT DLM_AUTH_REQUIRED = WM_USER + 0x101;
// The run failed: wParam is the message-box style (MB_ICONERROR with MB_RETRYCANCEL when a
// retry is allowed, else MB_ICONERROR with MB_OK). The owner answers with
// CDownload::AnswerFailure.
constexpr UINT DLM_FAILED = WM_USER + 0x102;
// Bytes of the current file so far (wParam) and its size (lParam).
constexpr UINT DLM_FILE_PROGRESS = WM_USER + 0x103;
// Bytes of all files so far (wParam) and the overall size (lParam).
constexpr UINT DLM_TOTAL_PROGRESS = WM_USER + 0x104;
// A control's text: wParam the control id, lParam the text, which the receiver takes with
// CDownload::TakePostedText.
constexpr UINT DLM_SET_TEXT = WM_USER + 0x105;
// An FTP server refused the login: lParam points to the worker's DownloadLogin. The owner
// answers with CDownload::AnswerPrompt.
constexpr UINT DLM_LOGIN_REQUIRED = WM_USER + 0x106;

// Controls of the download dialog that the worker writes to.
enum DownloadControl : int {
    kControlElapsed = 1226,
    kControlFileCount = 1227,
    kControlRemaining = 1240,
    kControlSpeed = 1242,
    kControlStatus = 1256,
    kControlFileBytes = 1257,
    kControlAllBytes = 1258,
};
