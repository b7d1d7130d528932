// The masks and the ignore lists in the registry.
#include "JunkFileFinder.h"

#include <shlobj.h>

#include "JunkPaths.h"
#include "JunkTables.h"
#include "AppLocations.h"
#include "LogFile.h"
#include "Paths.h"
#include "Registry.h"
#include "SystemInfo.h"

#include <owners/WinOwners.h>

namespace {

// The key of one list, opened for reading and writing; none when absent.
RegistryKey OpenListKey(const CString& path, bool create) {
    HKEY key = nullptr;
    const LONG status =
        create ? RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_WRITE, nullptr, &key, nullptr)
               : RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_WRITE, &key);
    return RegistryKey(status == ERROR_SUCCESS ? key : nullptr);
}

// Removes a list key before its list is written anew; true when it is gone or never was.
bool RemoveListKey(const CString& path) {
    return CRegistry::DeleteKey(HKEY_CURRENT_USER, path) ||
           OpenListKey(path, false).Get() == nullptr;
}

bool ContainsNoCase(const CStringArray& list, const wchar_t* text) {
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        if (list[i].CompareNoCase(text) == 0)
            return true;
    return false;
}

// The shell folder's path, lower-cased, or empty.
CString SpecialFolderPath(int csidl) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) || !items)
        return CString();
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(items, path);
    CoTaskMemFree(items);
    CString text(found ? path : L"");
    return text.MakeLower();
}

} // namespace

CString CJunkFileFinder::MaskListKey() {
    return GetAppRegistryKey() + L"\\MaskList";
}

CString CJunkFileFinder::IgnoreListKey() {
    return GetAppRegistryKey() + L"\\IgnoreList";
}

void CJunkFileFinder::LoadMasks() {
    {
        const RegistryKey key = OpenListKey(MaskListKey(), false);
        if (key.Get()) {
            ReadMaskValues();
            return;
        }
    }
    for (const DefaultJunkMask& mask : kDefaultJunkMasks)
        AddMask(mask.text, mask.flags);
    const RegistryKey key = OpenListKey(MaskListKey(), true);
    if (key.Get())
        (void)WriteMaskValues(key.Get());
}

bool CJunkFileFinder::ReadMaskValues() {
    ClearMasks();
    const RegistryKey key = OpenListKey(MaskListKey(), false);
    if (!key.Get())
        return false;
    CStringArray names;
    EnumRegValueNames(key.Get(), names);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        DWORD flags = 0, type = 0, size = sizeof flags;
        if (RegQueryValueExW(key.Get(), names[i], nullptr, &type, reinterpret_cast<BYTE*>(&flags),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof flags) {
            // A damaged or hand-edited list must not make every file junk.
            if (IsCatchAllMask(names[i])) {
                WriteLog(L"MaskList: skipped the mask \"" + names[i] +
                         L"\", which matches every file name");
                continue;
            }
            AddMask(names[i], flags);
        }
    }
    return masks_.GetSize() > 0;
}

bool CJunkFileFinder::SaveMasks() {
    if (!RemoveListKey(MaskListKey()))
        return false; // the old masks would stay beside the new ones
    const RegistryKey key = OpenListKey(MaskListKey(), true);
    return key.Get() && WriteMaskValues(key.Get());
}

bool CJunkFileFinder::WriteMaskValues(HKEY key) {
    for (INT_PTR i = 0; i < masks_.GetSize(); ++i) {
        const DWORD flags = masks_[i]->flags;
        if (RegSetValueExW(key, masks_[i]->text, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&flags), sizeof flags) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

INT_PTR CJunkFileFinder::AddMask(const CString& text, DWORD flags) {
    return masks_.Add(new CJunkMask(text, flags));
}

void CJunkFileFinder::ClearMasks() {
    DeleteElements(masks_);
}

void CJunkFileFinder::ResetMasksToDefault() {
    ClearMasks();
    // A list that cannot be removed loads again as it stands: the user sees it unchanged.
    static_cast<void>(RemoveListKey(MaskListKey()));
    LoadMasks();
}

void CJunkFileFinder::LoadIgnoreList() {
    ignoreList_.RemoveAll();
    bool present;
    {
        const RegistryKey key = OpenListKey(IgnoreListKey(), false);
        present = key.Get() != nullptr;
        if (present)
            EnumRegValueNames(key.Get(), ignoreList_);
    }
    for (const wchar_t* pattern : kBuiltInIgnorePatterns) {
        CString lower(pattern);
        ignoreList_.Add(lower.MakeLower());
    }
    AddSpecialFolderExclusions();
    if (present)
        return;
    const RegistryKey key = OpenListKey(IgnoreListKey(), true);
    if (key.Get())
        (void)WriteIgnoreValues(key.Get());
}

bool CJunkFileFinder::SaveIgnoreList() {
    if (!RemoveListKey(IgnoreListKey()))
        return false; // the old entries would stay beside the new ones
    const RegistryKey key = OpenListKey(IgnoreListKey(), true);
    return key.Get() && WriteIgnoreValues(key.Get());
}

bool CJunkFileFinder::WriteIgnoreValues(HKEY key) {
    for (INT_PTR i = 0; i < ignoreList_.GetSize(); ++i) {
        if (IsBuiltInIgnorePattern(ignoreList_[i]))
            continue;
        if (RegSetValueExW(key, ignoreList_[i], 0, REG_SZ, reinterpret_cast<const BYTE*>(L""),
                           sizeof(wchar_t)) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

void CJunkFileFinder::MergeDefaultIgnoreList() {
    for (const wchar_t* pattern : kBuiltInIgnorePatterns) {
        if (ContainsNoCase(ignoreList_, pattern))
            continue;
        CString lower(pattern);
        ignoreList_.Add(lower.MakeLower());
    }
}

void CJunkFileFinder::AddSpecialFolderExclusions() {
    for (int csidl :
         {CSIDL_CDBURN_AREA, CSIDL_FAVORITES, CSIDL_NETHOOD, CSIDL_PRINTHOOD, CSIDL_SENDTO}) {
        const CString folder = SpecialFolderPath(csidl);
        if (folder.IsEmpty())
            continue;
        bool listed = false;
        for (INT_PTR i = 0; i < ignoreList_.GetSize() && !listed; ++i)
            listed = ignoreList_[i].Find(folder) >= 0;
        if (!listed)
            ignoreList_.Add(folder + L"*");
    }
    unattendedExclusions_.RemoveAll();
    if (!unattended_)
        return;
    for (int csidl : {CSIDL_PROGRAM_FILES, CSIDL_SYSTEM}) {
        const CString folder = SpecialFolderPath(csidl);
        if (folder.IsEmpty() || !IsExistingFolder(folder))
            continue;
        bool listed = false;
        for (INT_PTR i = 0; i < unattendedExclusions_.GetSize() && !listed; ++i)
            listed = unattendedExclusions_[i].Find(folder) >= 0;
        if (!listed)
            unattendedExclusions_.Add(folder + L"*");
    }
#if !defined(_WIN64)
    if (IsWow64Cached()) {
        CString programFiles = SpecialFolderPath(CSIDL_PROGRAM_FILES);
        const int bracket = programFiles.Find(L'(');
        if (bracket >= 0)
            programFiles = programFiles.Left(bracket);
        programFiles.Trim();
        if (!programFiles.IsEmpty())
            unattendedExclusions_.Add(programFiles + L"*");
        CString wow64Folder;
        GetSystemWow64Folder(wow64Folder);
        wow64Folder.MakeLower();
        if (!wow64Folder.IsEmpty())
            unattendedExclusions_.Add(wow64Folder + L"*");
    }
#endif
}
