#include "ProtectedFolders.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <knownfolders.h>

#include "ComApartment.h"
#include "JunkPaths.h"
#include "LiteralPath.h"
#include "ProductIdentity.h"

namespace {

// The folder a literal path lies in; empty for a root.
CString ParentOf(const CString& literal) {
    if (literal.IsEmpty() || literal[literal.GetLength() - 1] == L'\\')
        return CString();
    return ToLiteralPath(literal.Left(literal.ReverseFind(L'\\')));
}

CString ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK
               ? CString(path)
               : CString();
}

} // namespace

void CProtectedFolders::Gather() {
    known_.clear();
    trees_.clear();
    AddShellFolders();
    AddKnownFolderList();
    AddProfiles();
    AddProgramFolders();
}

void CProtectedFolders::AddKnownFolder(const CString& folder) {
    const CString literal = ToLongLiteralPath(folder);
    if (!literal.IsEmpty())
        known_.push_back(literal);
}

void CProtectedFolders::AddWholeTree(const CString& folder) {
    const CString literal = ToLongLiteralPath(folder);
    if (!literal.IsEmpty())
        trees_.push_back(literal);
}

void CProtectedFolders::AddShellFolders() {
    // Every folder the shell names by number (the virtual ones have no path).
    for (int csidl = 0; csidl <= 0x3F; ++csidl)
        AddKnownFolder(ShellFolder(csidl));
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp))
        AddKnownFolder(temp);
    for (const wchar_t* variable : {L"TMP", L"TEMP"}) {
        wchar_t value[MAX_PATH * 2] = {};
        const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH * 2);
        if (length > 0 && length < MAX_PATH * 2)
            AddKnownFolder(value);
    }
    wchar_t windows[MAX_PATH] = {};
    if (GetWindowsDirectoryW(windows, MAX_PATH))
        AddWholeTree(windows);
    if (GetSystemWindowsDirectoryW(windows, MAX_PATH))
        AddWholeTree(windows);
}

void CProtectedFolders::AddKnownFolderList() {
    // The folders of later systems that have no number (Downloads, Saved Games, Links, ...).
    const ComApartment com;
    IKnownFolderManager* manager = nullptr;
    if (FAILED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&manager))) ||
        !manager)
        return;
    KNOWNFOLDERID* ids = nullptr;
    UINT count = 0;
    if (SUCCEEDED(manager->GetFolderIds(&ids, &count)) && ids) {
        for (UINT i = 0; i < count; ++i) {
            PWSTR path = nullptr;
            if (SUCCEEDED(SHGetKnownFolderPath(ids[i], KF_FLAG_DONT_VERIFY, nullptr, &path)) &&
                path)
                AddKnownFolder(path);
            CoTaskMemFree(path);
        }
        CoTaskMemFree(ids);
    }
    manager->Release();
}

void CProtectedFolders::AddProfiles() {
    // Every profile is made of the folders the current one is made of.
    const CString profile = ToLongLiteralPath(ShellFolder(CSIDL_PROFILE));
    CString profiles;
    PWSTR path = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_UserProfiles, KF_FLAG_DONT_VERIFY, nullptr, &path)))
        profiles = ToLongLiteralPath(path);
    CoTaskMemFree(path);
    if (profiles.IsEmpty())
        profiles = ParentOf(profile);
    if (profile.IsEmpty() || profiles.IsEmpty())
        return;
    // The per-user temporary folders of every system (the drive settings list them).
    std::vector<CString> relative = {L"\\AppData\\Local\\Temp", L"\\Local Settings\\Temp"};
    for (const CString& folder : known_) {
        if (IsPathWithin(folder, profile) && folder.GetLength() > profile.GetLength())
            relative.push_back(folder.Mid(profile.GetLength()));
    }
    AddKnownFolder(profiles);
    CStringArray names;
    ListSubfolders(profiles, profile.Mid(profile.ReverseFind(L'\\') + 1), names);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        const CString other = profiles + L"\\" + names[i];
        AddKnownFolder(other);
        for (const CString& part : relative)
            AddKnownFolder(other + part);
    }
}

void CProtectedFolders::AddProgramFolders() {
    wchar_t module[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) {
        CString folder(module);
        AddWholeTree(folder.Left(folder.ReverseFind(L'\\')));
    }
    // The product's data folders, the user's and the machine's.
    for (int csidl : {CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA}) {
        const CString base = ShellFolder(csidl);
        if (!base.IsEmpty())
            AddWholeTree(base + L"\\" + GetCompanyProductPath());
    }
}

bool CProtectedFolders::IsProtected(const CString& folder) const {
    const CString literal = ToLongLiteralPath(folder);
    if (literal.IsEmpty())
        return true;
    const CString parent = ParentOf(literal);
    for (const CString& known : known_) {
        if (IsPathWithin(known, literal))
            return true;
        if (!parent.IsEmpty() && SameFileName(ParentOf(known), parent))
            return true;
    }
    for (const CString& tree : trees_) {
        if (IsPathWithin(literal, tree))
            return true;
    }
    return false;
}
