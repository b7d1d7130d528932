#include "Download.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "DecimalText.h"
#include "DownloadMessages.h"
#include "DownloadTexts.h"
#include "SizeTexts.h"

namespace {

constexpr wchar_t kAgent[] = L"Xarn Downloader";
constexpr DWORD kReadChunk = 1024;
constexpr DWORD kDrainChunk = 100;
// How often a worker waiting for its owner's answer looks whether it should stop waiting.
constexpr DWORD kAnswerPollMs = 250;
constexpr int kStyleRetry = MB_ICONERROR | MB_RETRYCANCEL; // 21
constexpr int kStyleNoRetry = MB_ICONERROR | MB_OK;        // 16
constexpr DWORD kStatusRangeNotSatisfiable = 416;

// The text after the last "/" of the URL without its query.
CString FileNameOfUrl(const CString& url) {
    CString name = url;
    const int query = name.Find(L'?');
    if (query >= 0)
        name = name.Left(query);
    return name.Mid(name.ReverseFind(L'/') + 1);
}

CString ClockText(DWORD seconds) {
    CString text;
    text.Format(L"%d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

// A handle that refuses a time-out keeps WinInet's own.
void ApplyTimeouts(HINTERNET handle) {
    DWORD timeout = g_downloader.timeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        g_winInet.InternetSetOptionW(handle, option, &timeout, sizeof timeout);
}

bool QueryNumber(HINTERNET request, DWORD query, DWORD& number) {
    DWORD length = sizeof number;
    return g_winInet.HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &number, &length,
                                    nullptr) != FALSE;
}

bool QueryText(HINTERNET request, DWORD query, int maxChars, CString& text) {
    std::vector<wchar_t> buffer(static_cast<size_t>(maxChars) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(maxChars * sizeof(wchar_t));
    if (!g_winInet.HttpQueryInfoW(request, query, buffer.data(), &bytes, nullptr))
        return false;
    text = buffer.data();
    return true;
}

// "bytes first-last/total": the first byte and the total; false when the text has another
// form.
bool ParseContentRange(const CString& text, UINT64& first, UINT64& total) {
    unsigned long long start = 0, last = 0, size = 0;
    if (swscanf_s(text.GetString(), L"bytes %llu-%llu/%llu", &start, &last, &size) != 3)
        return false;
    first = start;
    total = size;
    return true;
}

// The number after the last "/" of a Content-Range header, or -1.
INT64 ContentRangeTotal(const CString& text) {
    const int slash = text.ReverseFind(L'/');
    if (slash < 0)
        return -1;
    const CString digits = text.Mid(slash + 1).Trim();
    if (digits.IsEmpty() || digits.FindOneOf(L"0123456789") != 0)
        return -1;
    return _wtoi64(digits);
}

} // namespace

struct CDownload::CrackedUrl {
    CString text;
    INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
    INTERNET_PORT port = 0;
    CString host;
    CString user;
    CString password;
    CString object; // path followed by the extra part

    // Each part's buffer as long as the URL.
    bool Crack(const CString& url) {
        text = url;
        const int room = url.GetLength() + 1;
        std::vector<wchar_t> scheme(room), hostName(room), userName(room), pass(room), path(room),
            extra(room);
        URL_COMPONENTSW parts{};
        parts.dwStructSize = sizeof parts;
        parts.lpszScheme = scheme.data();
        parts.dwSchemeLength = room;
        parts.lpszHostName = hostName.data();
        parts.dwHostNameLength = room;
        parts.lpszUserName = userName.data();
        parts.dwUserNameLength = room;
        parts.lpszPassword = pass.data();
        parts.dwPasswordLength = room;
        parts.lpszUrlPath = path.data();
        parts.dwUrlPathLength = room;
        parts.lpszExtraInfo = extra.data();
        parts.dwExtraInfoLength = room;
        if (!::InternetCrackUrlW(url.GetString(), 0, 0, &parts))
            return false;
        this->scheme = parts.nScheme;
        port = parts.nPort;
        host = hostName.data();
        user = userName.data();
        password = pass.data();
        object = CString(path.data()) + extra.data();
        return true;
    }
};

CDownload::CDownload() : answerEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CDownload::~CDownload() {
    CloseTransferHandles();
    if (!succeeded_ && !g_downloader.options.resume && !currentDestination_.IsEmpty())
        DeleteFileW(currentDestination_);
}

DWORD WINAPI CDownload::WorkerThread(void* download) {
    static_cast<CDownload*>(download)->ThreadLoop();
    return 0;
}

void CDownload::ThreadLoop() {
    for (;;) {
        CloseTransferHandles();
        mayRetry_ = true;
        succeeded_ = DownloadFile();
        if (succeeded_ || abort_)
            break;
        answerCode_ = 0;
        AskOwner(DLM_FAILED, mayRetry_ ? kStyleRetry : kStyleNoRetry, 0);
        if (answerCode_ != IDRETRY)
            break;
    }
    Post(DLM_FINISHED, 0, 0);
}

void CDownload::AnswerPrompt(bool retry) {
    retryAnswer_ = retry;
    SetEvent(answerEvent_.Get());
}

void CDownload::AnswerFailure(int answerCode) {
    answerCode_ = answerCode;
    SetEvent(answerEvent_.Get());
}

void CDownload::Abort() {
    CCritSecGuard guard(g_downloader.lock);
    abort_ = true;
    mayRetry_ = false;
    request_.Close();
    connection_.Close();
    if (g_downloader.session && g_winInet.InternetCloseHandle)
        g_winInet.InternetCloseHandle(g_downloader.session);
    g_downloader.session = nullptr;
    // A worker waiting for an answer goes on at once and sees the abort.
    SetEvent(answerEvent_.Get());
}

CString CDownload::TakePostedText(LPARAM text) {
    const wchar_t* posted = reinterpret_cast<const wchar_t*>(text);
    CString taken(posted);
    delete[] posted;
    return taken;
}

void CDownload::DrainResponse(HINTERNET request) {
    BYTE buffer[kDrainChunk];
    DWORD read = 0;
    while (g_winInet.InternetReadFile &&
           g_winInet.InternetReadFile(request, buffer, sizeof buffer, &read) && read)
        ;
}

bool CDownload::Fail(LPCWSTR key, const CString& first, const CString& second,
                     const CString& third) {
    lastError_ = FormatPelqText(key, first, second, third);
    return false;
}

bool CDownload::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    return owner_ && PostMessageW(owner_, message, wParam, lParam);
}

void CDownload::PostText(int control, const CString& text) {
    const int length = text.GetLength();
    wchar_t* copy = new wchar_t[static_cast<size_t>(length) + 1];
    wmemcpy(copy, text.GetString(), static_cast<size_t>(length) + 1);
    if (!Post(DLM_SET_TEXT, static_cast<WPARAM>(control), reinterpret_cast<LPARAM>(copy)))
        delete[] copy;
}

bool CDownload::AskOwner(UINT message, WPARAM wParam, LPARAM lParam) {
    ResetEvent(answerEvent_.Get());
    if (!Post(message, wParam, lParam))
        return false;
    for (;;) {
        const DWORD waited = WaitForSingleObject(answerEvent_.Get(), kAnswerPollMs);
        if (waited == WAIT_OBJECT_0)
            return true;
        if (waited != WAIT_TIMEOUT || abort_ || !IsWindow(owner_))
            return false;
    }
}

void CALLBACK CDownload::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status,
                                        LPVOID information, DWORD informationLength) {
    if (!context)
        return;
    CDownload& download = *reinterpret_cast<CDownload*>(context);
    CString detail;
    if (information && informationLength) {
        const char* text = static_cast<const char*>(information);
        detail = CString(text, static_cast<int>(strnlen(text, informationLength)));
    }
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
        download.PostText(kControlStatus, FormatPelqText(L"IDS_STATUS_RESOLVING_NAME", detail));
        break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
        download.PostText(kControlStatus, FormatPelqText(L"IDS_STATUS_CONNECTING", detail));
        break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        download.PostText(kControlStatus,
                          FormatPelqText(L"IDS_STATUS_CONNECTED_TO_SERVER", detail));
        break;
    case INTERNET_STATUS_SENDING_REQUEST:
        download.PostText(kControlStatus, FormatPelqText(L"IDS_STATUS_SENDING_REQUEST"));
        break;
    case INTERNET_STATUS_REQUEST_SENT:
        download.PostText(kControlStatus, FormatPelqText(L"IDS_STATUS_RECEIVING"));
        break;
    case INTERNET_STATUS_REDIRECT:
        download.PostText(kControlStatus, CString());
        break;
    default:
        break;
    }
}

bool CDownload::EnsureSession() {
    CCritSecGuard guard(g_downloader.lock);
    if (!g_winInet.IsComplete()) {
        CString reason;
        FormatSystemError(reason, ERROR_PROC_NOT_FOUND, nullptr);
        return Fail(L"IDS_ERROR_CONNECT", reason);
    }
    if (g_downloader.session) {
        if (!callbackInstalled_)
            InstallStatusCallback();
        return true;
    }
    INTERNET_CONNECTED_INFO connected{INTERNET_STATE_CONNECTED, 0};
    // Only a hint to WinInet that it may go online; the session opens either way.
    g_winInet.InternetSetOptionW(nullptr, INTERNET_OPTION_CONNECTED_STATE, &connected,
                                 sizeof connected);
    // The session stays open for the process's life (an abort closes it): WinInet may be
    // gone before the library unloads.
    g_downloader.session =
        g_winInet.InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!g_downloader.session)
        return Fail(L"IDS_ERROR_CONNECT", InternetErrorText(GetLastError()));
    ApplyTimeouts(g_downloader.session);
    InstallStatusCallback();
    return true;
}

void CDownload::InstallStatusCallback() {
    // Without it the transfer runs the same, only without WinInet's status lines.
    callbackInstalled_ =
        g_winInet.InternetSetStatusCallback(g_downloader.session, &StatusCallback) !=
        INTERNET_INVALID_STATUS_CALLBACK;
}

void CDownload::CloseTransferHandles() {
    CCritSecGuard guard(g_downloader.lock);
    request_.Close();
    connection_.Close();
}

bool CDownload::Connect(const CrackedUrl& url, DWORD service, DWORD flags) {
    CCritSecGuard guard(g_downloader.lock);
    if (abort_ || !g_downloader.session)
        return false;
    LPCWSTR user = nullptr;
    LPCWSTR password = nullptr;
    if (loginGiven_) {
        user = login_.user;
        password = login_.password;
    } else if (!url.user.IsEmpty()) {
        user = url.user;
        password = url.password;
    }
    connection_.Reset(g_winInet.InternetConnectW(g_downloader.session, url.host, url.port, user,
                                                 password, service, flags,
                                                 reinterpret_cast<DWORD_PTR>(this)));
    return static_cast<bool>(connection_);
}

bool CDownload::OpenHttpRequest(const CrackedUrl& url, LPCWSTR verb, DWORD flags) {
    CCritSecGuard guard(g_downloader.lock);
    if (abort_ || !connection_)
        return false;
    LPCWSTR acceptTypes[] = {L"*/*", nullptr};
    // Redirects are followed here, where they are counted, not inside WinInet.
    request_.Reset(g_winInet.HttpOpenRequestW(connection_.Get(), verb, url.object, nullptr, nullptr,
                                              acceptTypes, flags | INTERNET_FLAG_NO_AUTO_REDIRECT,
                                              reinterpret_cast<DWORD_PTR>(this)));
    if (request_)
        ApplyTimeouts(request_.Get());
    return static_cast<bool>(request_);
}

bool CDownload::SendWithLogin(LPCWSTR headers, DWORD& status) {
    for (;;) {
        const DWORD headerLength = headers ? static_cast<DWORD>(-1) : 0;
        if (!g_winInet.HttpSendRequestW(request_.Get(), headers, headerLength, nullptr, 0))
            return Fail(L"IDS_ERROR_REQUEST", InternetErrorText(GetLastError()));
        if (abort_)
            return false;
        if (!QueryNumber(request_.Get(), HTTP_QUERY_STATUS_CODE, status))
            return Fail(L"IDS_ERROR_STATUSCODE", InternetErrorText(GetLastError()));
        if (status != HTTP_STATUS_DENIED && status != HTTP_STATUS_PROXY_AUTH_REQ)
            return true;
        retryAnswer_ = false;
        if (!AskOwner(DLM_AUTH_REQUIRED, reinterpret_cast<WPARAM>(request_.Get()), 0) ||
            !retryAnswer_ || abort_)
            return Fail(L"IDS_ERROR_REQUESTFILE",
                        InternetErrorText(ERROR_INTERNET_INCORRECT_PASSWORD));
    }
}

INT32 CDownload::QueryRemoteFileInfo(CString url) {
    for (int redirects = 0; redirects <= kMaxRedirects; ++redirects) {
        CrackedUrl parts;
        if (!parts.Crack(url))
            return -1;
        DWORD service = INTERNET_SERVICE_HTTP;
        DWORD flags = 0;
        if (parts.scheme == INTERNET_SCHEME_FTP) {
            if (!g_downloader.options.ftpSizeQuery)
                return -1;
            service = INTERNET_SERVICE_FTP;
            flags = INTERNET_FLAG_PASSIVE;
        } else if (parts.scheme != INTERNET_SCHEME_HTTP) {
            return -1;
        }
        if (!Connect(parts, service, flags))
            return -1;
        if (service == INTERNET_SERVICE_FTP) {
            WIN32_FIND_DATAW found{};
            CInternetHandle find;
            find.Reset(
                g_winInet.FtpFindFirstFileW(connection_.Get(), parts.object, &found,
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                            reinterpret_cast<DWORD_PTR>(this)));
            const INT32 size = find ? static_cast<INT32>(found.nFileSizeLow) : -1;
            find.Close();
            CloseTransferHandles();
            return size;
        }
        DWORD status = 0;
        if (!OpenHttpRequest(parts, L"HEAD",
                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT) ||
            !SendWithLogin(nullptr, status)) {
            CloseTransferHandles();
            return -1;
        }
        if (status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT) {
            const bool located =
                QueryText(request_.Get(), HTTP_QUERY_LOCATION, DownloadJob::kUrlChars - 1, url);
            CloseTransferHandles();
            if (!located)
                return -1;
            continue;
        }
        DWORD length = 0;
        const bool known = status == HTTP_STATUS_OK &&
                           QueryNumber(request_.Get(), HTTP_QUERY_CONTENT_LENGTH, length);
        CloseTransferHandles();
        return known ? static_cast<INT32>(length) : -1;
    }
    return -1;
}

bool CDownload::DownloadFile() {
    if (!EnsureSession())
        return false;
    runBytes_ = 0;
    fileCount_ = 0;
    PostText(kControlStatus, FormatPelqText(L"IDS_STATUS_FILEINFO"));

    for (const auto& job : g_downloader.queue) {
        if (job->done)
            continue;
        ++fileCount_;
        if (job->size == 0) {
            const INT32 size = QueryRemoteFileInfo(job->url);
            if (size != 0 && size != -1)
                job->size = size;
        }
        if (abort_)
            return false;
    }
    overallSize_ = GetOverallDownloadSize();
    if (overallSize_ != -1)
        Post(DLM_TOTAL_PROGRESS, 0, static_cast<LPARAM>(overallSize_));

    startTick_ = GetTickCount();
    fileNumber_ = 0;
    DWORD allBytes = 0;
    for (const auto& job : g_downloader.queue) {
        if (job->done)
            continue;
        if (!FetchJob(*job, allBytes))
            return false;
    }
    mayRetry_ = false;
    return true;
}

bool CDownload::StartAtZero(HANDLE file) {
    // A body that starts at byte 0 replaces the whole file: nothing of an older one may stay.
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !SetEndOfFile(file))
        return Fail(L"IDS_ERROR_WRITE", currentDestination_, FileErrorText(GetLastError()));
    return true;
}

bool CDownload::FetchJob(DownloadJob& job, DWORD& allBytes) {
    currentDestination_ = job.destination;
    ++fileNumber_;

    KernelHandle file;
    DWORD offset = 0;
    CString rangeHeader;
    if (g_downloader.options.resume) {
        file.Reset(CreateFileW(currentDestination_, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            offset = GetFileSize(file.Get(), nullptr);
            if (offset == INVALID_FILE_SIZE)
                return Fail(L"IDS_ERROR_FILEOPEN", currentDestination_,
                            FileErrorText(GetLastError()));
            rangeHeader.Format(L"Range: bytes=%d-", static_cast<int>(offset));
            if (SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER)
                return Fail(L"IDS_ERROR_FILEOPEN", currentDestination_,
                            FileErrorText(GetLastError()));
        }
    }
    if (!file) {
        file.Reset(CreateFileW(currentDestination_, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return Fail(L"IDS_ERROR_FILEOPEN", currentDestination_, FileErrorText(GetLastError()));
    }

    CString url = job.url;
    CString visited[kMaxRedirects + 1];
    int redirects = 0;
    visited[0] = url;
    for (;;) {
        PostText(kControlFileCount,
                 FormatPelqText(L"IDS_FILECOUNT", FileNameOfUrl(url), DecimalText(fileNumber_),
                                DecimalText(fileCount_)));
        if (abort_)
            return false;
        CrackedUrl parts;
        if (!parts.Crack(url))
            return Fail(L"IDS_ERROR_URL", url);
        DWORD service = INTERNET_SERVICE_HTTP;
        DWORD flags = 0;
        if (parts.scheme == INTERNET_SCHEME_FTP) {
            service = INTERNET_SERVICE_FTP;
            flags = INTERNET_FLAG_PASSIVE;
        } else if (parts.scheme != INTERNET_SCHEME_HTTP) {
            return Fail(L"IDS_ERROR_PROTOCOL", url);
        }

        bool connected = Connect(parts, service, flags);
        if (!connected && service == INTERNET_SERVICE_FTP && !abort_) {
            const DWORD error = GetLastError();
            retryAnswer_ = false;
            if (AskOwner(DLM_LOGIN_REQUIRED, 0, reinterpret_cast<LPARAM>(&login_)) &&
                retryAnswer_) {
                loginGiven_ = true;
                connected = Connect(parts, service, flags);
            }
            SetLastError(error);
        }
        if (!connected)
            return Fail(L"IDS_ERROR_CONNECT_SERVER", parts.host, InternetErrorText(GetLastError()));

        if (service == INTERNET_SERVICE_FTP) {
            {
                CCritSecGuard guard(g_downloader.lock);
                if (!abort_)
                    request_.Reset(
                        g_winInet.FtpOpenFileW(connection_.Get(), parts.object, GENERIC_READ,
                                               INTERNET_FLAG_RELOAD | FTP_TRANSFER_TYPE_BINARY,
                                               reinterpret_cast<DWORD_PTR>(this)));
            }
            if (!request_)
                return Fail(L"IDS_ERROR_URLOPEN", url, InternetErrorText(GetLastError()));
            if (!StartAtZero(file.Get()) ||
                !ReadToFile(file.Get(), static_cast<DWORD>(std::max(job.size, 0)), allBytes, 0,
                            job))
                return false;
            break;
        }

        if (!OpenHttpRequest(parts, nullptr,
                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                 INTERNET_FLAG_KEEP_CONNECTION))
            return Fail(L"IDS_ERROR_URLOPEN", url, InternetErrorText(GetLastError()));
        DWORD status = 0;
        if (!SendWithLogin(rangeHeader.IsEmpty() ? nullptr : rangeHeader.GetString(), status))
            return false;

        if (status == HTTP_STATUS_PARTIAL_CONTENT && !rangeHeader.IsEmpty()) {
            CString range;
            UINT64 first = 0, total = 0;
            if (QueryText(request_.Get(), HTTP_QUERY_CONTENT_RANGE, 256, range) &&
                ParseContentRange(range, first, total) && first != offset) {
                // The part offered does not continue the file: fetch it whole instead.
                rangeHeader.Empty();
                offset = 0;
                if (!StartAtZero(file.Get()))
                    return false;
                CloseTransferHandles();
                continue;
            }
            DWORD length = 0;
            QueryNumber(request_.Get(), HTTP_QUERY_CONTENT_LENGTH, length);
            allBytes += offset;
            if (!ReadToFile(file.Get(), length + offset, allBytes, offset, job))
                return false;
            break;
        }
        if (status == HTTP_STATUS_OK) {
            // Without a resume, or when the server ignored the range, the body is the whole
            // file.
            rangeHeader.Empty();
            offset = 0;
            if (!StartAtZero(file.Get()))
                return false;
            DWORD length = 0;
            if (!QueryNumber(request_.Get(), HTTP_QUERY_CONTENT_LENGTH, length))
                length = 0;
            if (!ReadToFile(file.Get(), length, allBytes, 0, job))
                return false;
            break;
        }
        if (status == kStatusRangeNotSatisfiable && !rangeHeader.IsEmpty()) {
            CString range;
            const INT64 total = QueryText(request_.Get(), HTTP_QUERY_CONTENT_RANGE, 256, range)
                                    ? ContentRangeTotal(range)
                                    : -1;
            if (total == static_cast<INT64>(offset)) {
                job.size = static_cast<INT32>(offset);
                overallSize_ = GetOverallDownloadSize();
                allBytes += offset;
                Post(DLM_FILE_PROGRESS, offset, offset);
                if (overallSize_ != -1)
                    Post(DLM_TOTAL_PROGRESS, allBytes, static_cast<LPARAM>(overallSize_));
                break;
            }
            rangeHeader.Empty();
            offset = 0;
            if (!StartAtZero(file.Get()))
                return false;
            CloseTransferHandles();
            continue;
        }
        if (status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT) {
            CString location;
            if (!QueryText(request_.Get(), HTTP_QUERY_LOCATION, DownloadJob::kUrlChars - 1,
                           location))
                return Fail(L"IDS_ERROR_URL", CString());
            // A loop comes back to an address already asked; a chain may not grow forever.
            const bool seen =
                std::find(visited, visited + redirects + 1, location) != visited + redirects + 1;
            if (seen || redirects == kMaxRedirects)
                return Fail(L"IDS_ERROR_TOO_MANY_REDIRECTS", job.url, location);
            visited[++redirects] = location;
            url = location;
            PostText(kControlStatus, FormatPelqText(L"IDS_STATUS_REDIRECT", url));
            CloseTransferHandles();
            continue;
        }
        return Fail(L"IDS_ERROR_HTTPOPEN", url, DecimalText(status));
    }
    // A failed close may have lost written data: the file does not count as received.
    if (!file.Close())
        return Fail(L"IDS_ERROR_WRITE", currentDestination_, FileErrorText(GetLastError()));
    CloseTransferHandles();
    job.done = 1;
    return true;
}

bool CDownload::ReadToFile(HANDLE file, DWORD fileSize, DWORD& allBytes, DWORD startOffset,
                           DownloadJob& job) {
    Post(DLM_FILE_PROGRESS, 0, fileSize);
    DWORD fileBytes = startOffset;
    DWORD lastShown = 0;
    BYTE buffer[kReadChunk];
    for (;;) {
        if (abort_)
            return false;
        DWORD received = 0;
        if (!g_winInet.InternetReadFile(request_.Get(), buffer, sizeof buffer, &received))
            return Fail(L"IDS_ERROR_READ", InternetErrorText(GetLastError()));
        if (received) {
            runBytes_ += received;
            allBytes += received;
            fileBytes += received;
            DWORD written = 0;
            if (!WriteFile(file, buffer, received, &written, nullptr) || written != received)
                return Fail(L"IDS_ERROR_WRITE", currentDestination_, FileErrorText(GetLastError()));
        }
        const DWORD elapsed = std::max<DWORD>(1, (GetTickCount() - startTick_) / 1000);
        if (elapsed > lastShown) {
            lastShown = elapsed;
            ShowProgress(fileSize, fileBytes, allBytes, elapsed);
        }
        if (!received)
            break;
    }
    // The body ends here: whatever the file held behind it is not part of it.
    if (!SetEndOfFile(file))
        return Fail(L"IDS_ERROR_WRITE", currentDestination_, FileErrorText(GetLastError()));
    // A body cut off before its announced length is not the file: the part stays for a
    // resume, and the run fails.
    if (fileSize && fileBytes < fileSize)
        return Fail(L"IDS_ERROR_INCOMPLETE", currentDestination_, DecimalText(fileBytes),
                    DecimalText(fileSize));
    job.size = static_cast<INT32>(fileBytes);
    overallSize_ = GetOverallDownloadSize();
    Post(DLM_FILE_PROGRESS, fileBytes, fileBytes);
    if (overallSize_ != -1)
        Post(DLM_TOTAL_PROGRESS, allBytes, static_cast<LPARAM>(overallSize_));
    return true;
}

void CDownload::ShowProgress(DWORD fileSize, DWORD fileBytes, DWORD allBytes, DWORD elapsed) {
    const bool overallKnown = overallSize_ != -1;
    const DWORD overall = static_cast<DWORD>(overallSize_);
    if (fileSize) {
        if (overallKnown)
            Post(DLM_TOTAL_PROGRESS, allBytes, static_cast<LPARAM>(overall));
        Post(DLM_FILE_PROGRESS, fileBytes, fileSize);
    }
    wchar_t speed[64];
    FormatNumberGrouped(runBytes_ / 1024 / elapsed, speed, 64);
    CString speedText;
    speedText.Format(L"%s KB/s", speed);
    PostText(kControlSpeed, speedText);

    if (fileSize)
        PostText(kControlFileBytes,
                 FormatPelqText(L"IDS_BYTECOUNT2", DecimalText(fileBytes / 1024),
                                DecimalText(fileSize / 1024),
                                DecimalText(UINT64{fileBytes} * 100 / fileSize)));
    else
        PostText(kControlFileBytes,
                 FormatPelqText(L"IDS_BYTECOUNT1", DecimalText(fileBytes / 1024)));
    if (fileSize && overallKnown && overall)
        PostText(kControlAllBytes, FormatPelqText(L"IDS_BYTECOUNT2", DecimalText(allBytes / 1024),
                                                  DecimalText(overall / 1024),
                                                  DecimalText(UINT64{allBytes} * 100 / overall)));
    else
        PostText(kControlAllBytes, FormatPelqText(L"IDS_BYTECOUNT1", DecimalText(allBytes / 1024)));
    PostText(kControlElapsed, ClockText(elapsed));
    if (fileSize && overallKnown && allBytes > 0 && runBytes_ > 0) {
        const UINT64 scaled = UINT64{elapsed} * allBytes / runBytes_;
        const UINT64 projected = scaled * overall / allBytes;
        const UINT64 remaining = projected > scaled ? projected - scaled : 0;
        PostText(kControlRemaining, ClockText(static_cast<DWORD>(remaining)));
    }
}
