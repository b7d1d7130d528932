#include "LinkSafety.h"

#include <iterator>

#include <classlib/String.h>

#include "JunkPaths.h"

namespace {

CString LongForm(const wchar_t* path) {
    // Generated short (8.3) aliases hold a "~"; asking costs a folder look-up per component. A
    // path that still differs from its final form is taken for a link and left alone.
    if (!wcschr(path, L'~'))
        return WithoutFinalBackslash(path);
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetLongPathNameW(path, buffer, static_cast<DWORD>(std::size(buffer)));
    if (length == 0 || length >= std::size(buffer))
        return WithoutFinalBackslash(path);
    return WithoutFinalBackslash(buffer);
}

CString FinalPathOf(HANDLE handle) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length =
        GetFinalPathNameByHandleW(handle, buffer, static_cast<DWORD>(std::size(buffer)),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= std::size(buffer))
        return CString();
    CString path(buffer);
    if (path.Left(8).CompareNoCase(L"\\\\?\\UNC\\") == 0)
        path = L"\\\\" + path.Mid(8);
    else if (path.Left(4) == L"\\\\?\\")
        path = path.Mid(4);
    return WithoutFinalBackslash(path);
}

bool IsReparsePointHandle(HANDLE handle) {
    FILE_BASIC_INFO basic = {};
    return !GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
           IsReparsePointEntry(basic.FileAttributes);
}

// An open handle on the path itself (never on what a final reparse point names) reaches the
// place the path names.
bool HandleReachesOwnPath(HANDLE handle, const wchar_t* path) {
    if (IsReparsePointHandle(handle))
        return false;
    const CString finalPath = FinalPathOf(handle);
    return !finalPath.IsEmpty() && finalPath.CompareNoCase(LongForm(path)) == 0;
}

} // namespace

KernelHandle OpenOwnPath(const wchar_t* path, DWORD access) {
    return KernelHandle(CreateFileW(
        path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool CFolderReach::ReachesOwnPath(HANDLE file, const wchar_t* name) {
    if (!folderKnown_) {
        folderKnown_ = true;
        const KernelHandle folder = OpenOwnPath(folder_, FILE_READ_ATTRIBUTES);
        if (folder && HandleReachesOwnPath(folder.Get(), folder_))
            folderFinalPath_ = FinalPathOf(folder.Get());
    }
    // The folder's entry is reached as named when its final path is the folder's and its name.
    if (folderFinalPath_.IsEmpty() || IsReparsePointHandle(file))
        return false;
    CString ownPath = folderFinalPath_;
    if (ownPath[ownPath.GetLength() - 1] != L'\\')
        ownPath += L'\\';
    ownPath += name;
    const CString finalPath = FinalPathOf(file);
    return !finalPath.IsEmpty() && finalPath.CompareNoCase(ownPath) == 0;
}

bool IsReachedThroughLink(const wchar_t* path) {
    const KernelHandle handle = OpenOwnPath(path, FILE_READ_ATTRIBUTES);
    return !handle || !HandleReachesOwnPath(handle.Get(), path);
}

BOOL DeleteFileNotThroughLink(const wchar_t* path) {
    const KernelHandle handle = OpenOwnPath(path, DELETE | FILE_READ_ATTRIBUTES);
    if (!handle)
        return FALSE;
    if (!HandleReachesOwnPath(handle.Get(), path)) {
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return FALSE;
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition,
                                      sizeof disposition);
}
