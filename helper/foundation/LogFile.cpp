#include "LogFile.h"

#include "AppLocations.h"
#include "AppState.h"
#include "KeepNumberofLogsLimited.h"
#include "Paths.h"

namespace {

// The dated file of today in the application's data folder; empty without that folder.
CString TodaysLogPath() {
    const CString folder = GetAppDataFolder();
    if (folder.IsEmpty())
        return CString();
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString path;
    path.Format(L"%s\\log_%02i-%02i-%02i.log", folder.GetString(), now.wMonth, now.wDay, now.wYear);
    return path;
}

// The writer of the process, set up by the first line while logging is on.
struct DatedLog {
    DatedLog() {
        CKeepNumberofLogsLimited().DeleteOldLogs();
        const CString path = TodaysLogPath();
        if (!path.IsEmpty())
            file.Reopen(path);
    }
    CLogFile file;
};

} // namespace

void WriteLog(CString message) {
    if (!g_bLogEnabled)
        return;
    static DatedLog log;
    log.file.WriteTimestamped(message);
}

void WriteLogA(LPCSTR message) {
    if (!g_bLogEnabled || !message)
        return;
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, message, -1, nullptr, 0);
    if (length <= 0)
        return;
    CString wide;
    MultiByteToWideChar(CP_THREAD_ACP, 0, message, -1, wide.GetBuffer(length), length);
    wide.ReleaseBuffer();
    WriteLog(wide);
}

CLogFile::CLogFile() = default;

CLogFile::~CLogFile() {
    Close();
}

bool CLogFile::Open(const CString& path) {
    path_ = path;
    const int slash = path.ReverseFind(L'\\');
    // A folder that cannot be made fails the open below, which answers for both.
    if (slash > 0 && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        static_cast<void>(CreateDirectoryTree(path.Left(slash)));
    open_ = file_.Open(path, CFile::modeWrite | CFile::shareDenyNone | CFile::modeCreate |
                                 CFile::modeNoTruncate | CFile::typeBinary |
                                 CFile::osWriteThrough) != FALSE;
    if (open_) {
        try {
            file_.SeekToEnd();
        } catch (CException* error) {
            error->Delete();
        }
    }
    return open_;
}

void CLogFile::Reopen(const CString& path) {
    if (path == path_ && open_)
        return;
    Close();
    lineNumber_ = 1;
    static_cast<void>(Open(path)); // a log that cannot be opened drops its lines (IsOpen)
}

void CLogFile::WriteTimestamped(const CString& message) {
    if (!open_ || message.IsEmpty())
        return;
    CCritSecGuard guard(lock_);
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString line;
    line.Format(L"%d\t%02d:%02d:%02d\t", lineNumber_++, now.wHour, now.wMinute, now.wSecond);
    line += message;
    line += L"\r\n";
    try {
        file_.Write(line.GetString(), static_cast<UINT>(line.GetLength()) * sizeof(wchar_t));
    } catch (CException* error) {
        error->Delete();
    }
}

void CLogFile::Close() {
    if (!open_)
        return;
    WriteTimestamped(L"Closing Log\r\n");
    CCritSecGuard guard(lock_);
    try {
        file_.Close();
    } catch (CException* error) {
        error->Delete();
    }
    open_ = false;
}
