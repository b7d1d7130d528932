#include "DownloadQueue.h"

#include <cwchar>

bool AddDownloadFile(const CString& url, const CString& destination) {
    if (url.GetLength() >= DownloadJob::kUrlChars ||
        destination.GetLength() >= DownloadJob::kDestinationChars)
        return false;
    auto job = std::make_unique<DownloadJob>();
    *job = DownloadJob{};
    wcscpy_s(job->url, url.GetString());
    wcscpy_s(job->destination, destination.GetString());
    g_downloader.queue.push_back(std::move(job));
    return true;
}

void ClearDownloadFiles() {
    g_downloader.queue.clear();
}

int SetDownloadOption(const CString& name, const CString& value) {
    DownloadOptions& options = g_downloader.options;
    const bool isTrue = value.CompareNoCase(L"true") == 0;
    if (name.CompareNoCase(L"title") == 0)
        options.title = value;
    else if (name.CompareNoCase(L"debug") == 0)
        options.debug = isTrue;
    else if (name.CompareNoCase(L"noftpsize") == 0)
        options.ftpSizeQuery = !isTrue;
    else if (name.CompareNoCase(L"simple") == 0)
        ; // the simple dialog is the only one
    else if (name.CompareNoCase(L"label") == 0)
        options.label = value;
    else if (name.CompareNoCase(L"description") == 0)
        options.description = value;
    else if (name.CompareNoCase(L"language") == 0)
        options.language = value;
    else if (name.CompareNoCase(L"resume") == 0)
        options.resume = isTrue;
    else if (name.CompareNoCase(L"hidden") == 0)
        options.hidden = value == L"1";
    else
        return 0;
    return 1;
}

INT32 GetOverallDownloadSize() {
    INT32 total = 0;
    for (const auto& job : g_downloader.queue) {
        if (job->size == 0 || job->size == -1)
            return -1;
        total += job->size;
    }
    return total;
}

bool HasPendingDownloads() {
    for (const auto& job : g_downloader.queue)
        if (!job->done)
            return true;
    return false;
}
