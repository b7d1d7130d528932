// The process-wide state of the downloader: the queue of files, the options set by name, the
// shared WinInet session and the lock that guards it.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <vector>

#include <classlib/String.h>

#include "CritSecLock.h"

// One queued file, a fixed record of 2048 bytes.
struct DownloadJob {
    static constexpr int kUrlChars = 500;         // 499 characters and the terminator
    static constexpr int kDestinationChars = 520; // 519 characters and the terminator

    wchar_t url[kUrlChars];
    wchar_t destination[kDestinationChars];
    INT32 size; // 0: not known yet; -1: could not be learned
    BYTE done;
    BYTE reserved[3];
};
static_assert(sizeof(DownloadJob) == 2048);

struct DownloadOptions {
    bool resume = true;
    bool ftpSizeQuery = false;
    bool hidden = false;
    bool debug = false;
    CString title;
    CString label;
    CString description;
    CString language;
};

class CDownloaderState {
public:
    // Guards the session handle, the connection step and the abort path.
    CCritSecLock lock;
    // Shared by every transfer; opened on first use, closed by an abort.
    HINTERNET session = nullptr;
    std::vector<std::unique_ptr<DownloadJob>> queue;
    DownloadOptions options;
    // Bounds every connect, send and receive wait, so a silent server ends in a failure.
    DWORD timeoutMs = 30000;
};

// Made while the library loads.
extern CDownloaderState g_downloader;

// Appends a zeroed job of unknown size; false (nothing queued) when the URL or the destination
// does not fit its record.
[[nodiscard]] bool AddDownloadFile(const CString& url, const CString& destination);
void ClearDownloadFiles();
// Names compared without regard to case; 1 for a known name, 0 otherwise.
int SetDownloadOption(const CString& name, const CString& value);
// The sum of the known sizes of all jobs; -1 as soon as one job's size is 0 or -1.
INT32 GetOverallDownloadSize();
// Whether a queued job is still to be fetched.
bool HasPendingDownloads();
// Fetches every queued job that is not done yet in the download dialog (never shown with the
// option "hidden" at "1"); 1 when all arrived (at once when none is left), else 0. The owner is
// the given window, else the application's main window, else the desktop.
int RunDownloadDialog(HWND parent);
