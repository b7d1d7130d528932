#include "ProductIdentity.h"

#include "Paths.h"
#include "XarnSysBinding.h"

#include <owners/WinOwners.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// Identity texts; constants, so they are ready before any initialiser of the library runs.
constexpr const wchar_t* kCompanyKeyName = L"Halvenor";
constexpr const wchar_t* kCompanyName = L"Halvenor Inc.";
constexpr const wchar_t* kProductName = L"Stellmark";
constexpr const wchar_t* kProductShortName = L"Xarn";
constexpr const wchar_t* kOwnershipNotice = L"Copyright \u00A9 Halvenor Inc. All rights reserved.";
constexpr const wchar_t* kWebSiteAddress = L"www.halvenor.com";
constexpr const wchar_t* kProductPageUrl = L"https://www.halvenor.com/xarn/";
constexpr const wchar_t* kSupportEmail = L"support@halvenor.com";
constexpr const wchar_t* kSupportPageUrl = L"https://www.halvenor.com/support/";

// The keys of the maker's tools whose scheduled tasks carry "Xarn-" + key.
constexpr const wchar_t* kScheduledToolKeys[8] = {
    L"Stellmark",       L"Clean",  L"RegistryClean", L"PrivacyClean",
    L"StartupOptimize", L"Backup", L"Update",        L"Tutorial"};
constexpr int kCleanerTool = 1;

bool GetDataSubFolder(int csidl, CString& result, const CString& sub) {
    CString path;
    if (!GetSpecialFolderPath(csidl, path))
        return false;
    AppendPath(path, GetCompanyProductPath());
    AppendPath(path, sub);
    if (PathExists(path) != 1 && CreateDirectoryTree(path) != 1)
        return false;
    path.Trim();
    result = path;
    return true;
}

} // namespace

CString GetCompanyKeyName() {
    return CString(kCompanyKeyName);
}
CString GetCompanyName() {
    return CString(kCompanyName);
}
CString GetProductName() {
    return CString(kProductName);
}
CString GetProductShortName() {
    return CString(kProductShortName);
}
CString GetOwnershipNotice() {
    return CString(kOwnershipNotice);
}
CString GetWebSiteAddress() {
    return CString(kWebSiteAddress);
}
CString GetProductPageUrl() {
    return CString(kProductPageUrl);
}
CString GetSupportEmail() {
    return CString(kSupportEmail);
}
CString GetSupportPageUrl() {
    return CString(kSupportPageUrl);
}

CString GetCompanyProductPath() {
    CString path = GetCompanyKeyName();
    AppendPath(path, GetProductShortName());
    return path;
}

void GetCleanerScheduleValueName(CString& name) {
    name = CString(L"Xarn-") + kScheduledToolKeys[kCleanerTool];
}

void BuildProductRegistryKey(CString& key) {
    static const CString built = [] {
        CString path(L"Software");
        AppendPath(path, GetCompanyKeyName());
        AppendPath(path, GetProductShortName());
        return path;
    }();
    key = built;
}

LPCWSTR GetProductRegistryKey() {
    static CString key;
    if (key.IsEmpty())
        BuildProductRegistryKey(key);
    return key;
}

bool GetCommonDataSubFolder(CString& path, const CString& sub) {
    return GetDataSubFolder(CSIDL_COMMON_APPDATA, path, sub);
}

bool GetCommonDataFolder(CString& path) {
    return GetCommonDataSubFolder(path, CString());
}

bool GetUserDataSubFolder(CString& path, const CString& sub) {
    return GetDataSubFolder(CSIDL_APPDATA, path, sub);
}

bool GetUserDataFolder(CString& name) {
    const CString sub = name.Find(L'\\') >= 0 ? CString() : name;
    return GetUserDataSubFolder(name, sub);
}

LPCWSTR GetModuleFolder(HMODULE module, CString& folder) {
    wchar_t path[1040] = {};
    GetModuleFileNameW(module, path, 1039);
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
        folder = path;
        static_cast<void>(RemoveFileSpec(folder)); // an existing file's path has a file part
        return folder;
    }
    // The program's first argument keeps its folder's final backslash.
    folder.Empty();
    int count = 0;
    const LocalMemory<LPWSTR*> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
    if (arguments && count > 0) {
        wchar_t copy[520] = {};
        wcsncpy(copy, arguments.Get()[0], 519);
        wchar_t drive[3] = {}, directory[MAX_PATH] = {};
        if (_wsplitpath_s(copy, drive, 3, directory, MAX_PATH, nullptr, 0, nullptr, 0) == 0) {
            folder = drive;
            folder += directory;
        }
    }
    return folder;
}

HINSTANCE GetOwnModuleHandle() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE GetResourceInstance() {
    static const HINSTANCE resources = LoadLibraryW(XarnSysResourceLibrary());
    return resources;
}

void LoadResourceText(CString& text, UINT id) {
    if (!text.LoadString(GetResourceInstance(), id))
        text.Empty();
}
