#include "KeepNumberofLogsLimited.h"

#include "AppLocations.h"
#include "Paths.h"

#include <owners/WinOwners.h>

#include <algorithm>

namespace {

constexpr size_t kLogsKept = 5;

bool IsLogFileName(const CString& name) {
    return name.GetLength() > 4 && name.Right(4).CompareNoCase(L".log") == 0;
}

} // namespace

CKeepNumberofLogsLimited::CKeepNumberofLogsLimited() = default;
CKeepNumberofLogsLimited::~CKeepNumberofLogsLimited() = default;

void CKeepNumberofLogsLimited::DeleteOldLogs() {
    files_.clear();
    const CString folder = GetAppDataFolder();
    if (folder.IsEmpty())
        return;
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(folder + L"\\*.log", &found));
    if (!search)
        return;
    do {
        const CString name(found.cFileName);
        // Short names can make "*.log" match other files: only real ".log" names count.
        if (name == L"." || name == L".." || !IsLogFileName(name) ||
            (found.dwFileAttributes &
             (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
            continue;
        files_.push_back({name, CTime(found.ftLastWriteTime, -1)});
    } while (FindNextFileW(search.Get(), &found));
    if (files_.size() <= kLogsKept)
        return;
    std::sort(files_.begin(), files_.end(), [](const ScanResultFile& a, const ScanResultFile& b) {
        return a.lastWrite > b.lastWrite;
    });
    for (size_t index = kLogsKept; index < files_.size(); ++index) {
        CString path = folder;
        AppendPath(path, files_[index].name);
        DeleteFileW(path);
    }
}
