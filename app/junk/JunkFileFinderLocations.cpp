// The drives and temporary folders that the drive settings page offers.
#include "JunkFileFinder.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "JunkPaths.h"
#include "OsVersionInfo.h"
#include "SystemInfo.h"

namespace {

CString NormalisedPath(CString path) {
    path.MakeLower();
    path.Trim();
    return WithoutFinalBackslash(path);
}

CString ShortForm(const CString& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path, buffer, MAX_PATH);
    return length && length < MAX_PATH ? NormalisedPath(buffer) : path;
}

CString LongForm(const CString& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetLongPathNameW(path, buffer, MAX_PATH);
    return length && length < MAX_PATH ? NormalisedPath(buffer) : path;
}

bool IsWritableFolder(const CString& path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           SetFileAttributesW(path, attributes);
}

CString ShellFolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))
               ? CString(path)
               : CString();
}

// The text up to (not including) the backslash that ends the given component count.
CString FirstComponents(const CString& path, int count) {
    int position = -1;
    for (int i = 0; i <= count; ++i) {
        position = path.Find(L'\\', position + 1);
        if (position < 0)
            return path;
    }
    return path.Left(position);
}

} // namespace

CStringArray& ListSubfolders(const CString& parent, const CString& currentUser,
                             CStringArray& names) {
    names.RemoveAll();
    names.Add(currentUser);
    WIN32_FIND_DATAW entry;
    const FindHandle search(FindFirstFileW(parent + L"\\*", &entry));
    if (!search)
        return names;
    do {
        const CString name(entry.cFileName);
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L".." &&
            name.CompareNoCase(currentUser) != 0)
            names.Add(name);
    } while (FindNextFileW(search.Get(), &entry));
    return names;
}

CString CJunkFileFinder::TrimDriveDisplayName(const CString& displayName) {
    const int bracket = displayName.Find(L'(');
    return bracket < 0 ? displayName : displayName.Left(bracket > 0 ? bracket - 1 : 0);
}

const CStringBoolArray& CJunkFileFinder::ListDrives() {
    DeleteElements(drives_);
    const DWORD needed = GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0)
        return drives_;
    std::vector<wchar_t> roots(needed + 1, L'\0');
    if (GetLogicalDriveStringsW(needed, roots.data()) != needed - 1)
        return drives_;
    FillWindowsDir();
    for (const wchar_t* root = roots.data(); *root; root += wcslen(root) + 1) {
        SHFILEINFOW info = {};
        if (!SHGetFileInfoW(root, 0, &info, sizeof info, SHGFI_DISPLAYNAME))
            continue;
        const UINT type = GetDriveTypeW(root);
        if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED && type != DRIVE_REMOTE)
            continue;
        ULARGE_INTEGER available, total;
        if (!GetDiskFreeSpaceExW(root, &available, &total, nullptr))
            continue;
        CString text;
        text.Format(L"%c (%s)", root[0], TrimDriveDisplayName(info.szDisplayName).GetString());
        const BOOL systemDrive =
            !windowsDir_.IsEmpty() && towlower(root[0]) == towlower(windowsDir_[0]);
        drives_.Add(new CStringBool(text, systemDrive));
    }
    return drives_;
}

bool CJunkFileFinder::AddUniquePath(CString path, CStringBoolArray& list, BOOL flag) {
    path = NormalisedPath(path);
    if (path.IsEmpty() || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return true;
    const CString shortPath = ShortForm(path);
    const CString longPath = LongForm(path);
    for (INT_PTR i = 0; i < list.GetSize(); ++i) {
        const CString& entry = list[i]->text;
        if (entry.CompareNoCase(path) == 0 || entry.CompareNoCase(shortPath) == 0 ||
            entry.CompareNoCase(longPath) == 0)
            return true;
    }
    list.Add(new CStringBool(path, flag));
    return false;
}

const CStringBoolArray& CJunkFileFinder::GetTempFolders() {
    DeleteElements(tempFolders_);
    FillWindowsDir();
    if (IsUserAdmin() && !windowsDir_.IsEmpty()) {
        CString windowsTemp;
        windowsTemp.Format(L"%s\\Temp", windowsDir_.GetString());
        AddUniquePath(windowsTemp, tempFolders_, TRUE);
    }

    const CString localAppData = ShellFolderPath(CSIDL_LOCAL_APPDATA);
    const CString profile = ShellFolderPath(CSIDL_PROFILE);
    const CString profiles = FirstComponents(localAppData, 2);
    const COsVersionInfo version;
    CString perUser;
    if (version.IsWindowsVistaFamily() || version.IsVersionOrLater(6, 0)) {
        perUser = L"AppData\\Local\\Temp";
    } else if (version.IsWindows2000() || version.IsWindowsXP()) {
        CString parent = localAppData.Left(localAppData.ReverseFind(L'\\'));
        if (parent.Left(profile.GetLength()).CompareNoCase(profile) == 0)
            parent = parent.Mid(profile.GetLength() + 1);
        perUser = parent + L"\\Temp";
    } else {
        perUser = L"<Unknown path>";
    }
    const CString currentUser = profile.Mid(profile.ReverseFind(L'\\') + 1);
    CStringArray users;
    for (INT_PTR i = 0; i < ListSubfolders(profiles, currentUser, users).GetSize(); ++i) {
        CString folder;
        folder.Format(L"%s\\%s\\%s", profiles.GetString(), users[i].GetString(),
                      perUser.GetString());
        if (IsWritableFolder(folder))
            AddUniquePath(folder, tempFolders_, users[i].CompareNoCase(currentUser) == 0);
    }

    wchar_t tempPath[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, tempPath))
        AddUniquePath(tempPath, tempFolders_, TRUE);
    for (const wchar_t* variable : {L"%TMP%", L"%TEMP%"}) {
        wchar_t expanded[MAX_PATH * 2] = {};
        const DWORD length = ExpandEnvironmentStringsW(variable, expanded, MAX_PATH * 2);
        if (length == 0 || length > MAX_PATH * 2)
            continue;
        CString path(expanded);
        const int separator = path.Find(L';');
        AddUniquePath(separator >= 0 ? path.Left(separator) : path, tempFolders_, TRUE);
    }
    return tempFolders_;
}
