#include "SystemInfo.h"

#include "KernelEntry.h"

#include <owners/WinOwners.h>

#include <cstdio>
#include <ctime>
#include <cwchar>

namespace {

DWORD g_osMajor = 0;
DWORD g_osMinor = 0;

void ReadOsVersion() {
    if (g_osMajor != 0)
        return;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (GetVersionExW(&info)) {
        g_osMinor = info.dwMinorVersion;
        g_osMajor = info.dwMajorVersion;
    }
}

} // namespace

static_assert(sizeof(OSVERSIONINFOW) == 276);

DWORD GetOsMajorVersion() {
    ReadOsVersion();
    return g_osMajor;
}

DWORD GetOsMinorVersion() {
    ReadOsVersion();
    return g_osMinor;
}

bool IsWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    const auto isWow64Process = KernelEntry<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool IsWow64Cached() {
    static const bool wow64 = IsWow64();
    return wow64;
}

void GetSystemWow64Folder(CString& folder) {
    using GetSystemWow64DirectoryFn = UINT(WINAPI*)(wchar_t*, UINT);
    static const auto getFolder =
        KernelEntry<GetSystemWow64DirectoryFn>("GetSystemWow64DirectoryW");
    static CString cached;
    if (cached.IsEmpty() && IsWow64Cached() && getFolder) {
        wchar_t buffer[MAX_PATH] = {};
        const UINT length = getFolder(buffer, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            cached = buffer;
    }
    folder = cached;
}

namespace {

// The token of the thread's impersonation, else of the process.
KernelHandle OpenCallerToken(DWORD access, BOOL openAsSelf) {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), access, openAsSelf, &token) &&
        (GetLastError() != ERROR_NO_TOKEN ||
         !OpenProcessToken(GetCurrentProcess(), access, &token)))
        return KernelHandle();
    return KernelHandle(token);
}

AllocatedSid AdministratorsSid() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    AllocatedSid admins;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, admins.Put()))
        return AllocatedSid();
    return admins;
}

} // namespace

bool IsUserAdmin() {
    const KernelHandle token = OpenCallerToken(TOKEN_DUPLICATE | TOKEN_QUERY, TRUE);
    if (!token)
        return false;
    KernelHandle impersonation;
    if (!DuplicateToken(token.Get(), SecurityImpersonation, impersonation.Put()))
        return false;

    BOOL granted = FALSE;
    const AllocatedSid admins = AdministratorsSid();
    if (admins) {
        const DWORD aclBytes = GetLengthSid(admins.Get()) + 16;
        const LocalMemory<ACL*> acl(
            static_cast<ACL*>(LocalAlloc(LPTR, aclBytes + sizeof(ACCESS_ALLOWED_ACE))));
        SECURITY_DESCRIPTOR descriptor;
        constexpr DWORD kAccessRead = 1, kAccessWrite = 2, kAccessAll = 3;
        if (acl && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            InitializeAcl(acl.Get(), aclBytes + sizeof(ACCESS_ALLOWED_ACE), ACL_REVISION2) &&
            AddAccessAllowedAce(acl.Get(), ACL_REVISION2, kAccessAll, admins.Get()) &&
            SetSecurityDescriptorDacl(&descriptor, TRUE, acl.Get(), FALSE) &&
            SetSecurityDescriptorOwner(&descriptor, admins.Get(), FALSE) &&
            SetSecurityDescriptorGroup(&descriptor, admins.Get(), FALSE) &&
            IsValidSecurityDescriptor(&descriptor)) {
            GENERIC_MAPPING mapping = {kAccessRead, kAccessWrite, 0, kAccessAll};
            PRIVILEGE_SET privileges;
            DWORD privilegesBytes = sizeof privileges;
            DWORD grantedAccess = 0;
            if (!AccessCheck(&descriptor, impersonation.Get(), kAccessRead, &mapping, &privileges,
                             &privilegesBytes, &grantedAccess, &granted))
                granted = FALSE;
        }
    }
    return granted != FALSE;
}

bool IsUserInAdminGroup() {
    HANDLE opened = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &opened) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened))
        return true;
    const KernelHandle token(opened);
    // Sized to the token: a fixed buffer would fail for users in many groups.
    DWORD bytes = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &bytes);
    const LocalMemory<TOKEN_GROUPS*> groups(
        bytes != 0 ? static_cast<TOKEN_GROUPS*>(LocalAlloc(LPTR, bytes)) : nullptr);
    if (!groups || !GetTokenInformation(token.Get(), TokenGroups, groups.Get(), bytes, &bytes))
        return true;
    const AllocatedSid admins = AdministratorsSid();
    if (!admins)
        return true;
    for (DWORD i = 0; i < groups.Get()->GroupCount; ++i)
        if (EqualSid(groups.Get()->Groups[i].Sid, admins.Get()))
            return true;
    return false;
}

int FormatSizeKB(ULONGLONG bytes, wchar_t* buffer, int bufferChars) {
    if (buffer && bufferChars > 0) {
        const double kilobytes = static_cast<double>(bytes) / 1024.0;
        _snwprintf(buffer, static_cast<size_t>(bufferChars),
                   bytes < 1024 ? L"%0.3f KB" : L"%0.1f KB", kilobytes);
        buffer[bufferChars - 1] = L'\0';
    }
    return 1;
}

void FormatCurrentDateTime(CString& text) {
    const time_t now = std::time(nullptr);
    wchar_t buffer[256] = {};
    if (const tm* local = std::localtime(&now))
        std::wcsftime(buffer, 256, L"%a. %B %d, %Y. %I:%M %p", local);
    text = buffer;
}

void GetDrivesSpaceInfo(CString& text, double& percentage, bool allDrives) {
    percentage = 0;
    wchar_t systemDrive[3] = {};
    if (!allDrives) {
        wchar_t systemFolder[MAX_PATH] = {};
        GetSystemDirectoryW(systemFolder, MAX_PATH);
        if (systemFolder[0] && systemFolder[1] == L':') {
            systemDrive[0] = systemFolder[0];
            systemDrive[1] = L':';
        }
    }
    ULONGLONG totalSum = 0, freeSum = 0;
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter)))
            continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', L'\0'};
        const wchar_t bare[] = {root[0], L':', L'\0'};
        if (!allDrives && _wcsicmp(bare, systemDrive) != 0)
            continue;
        const UINT type = GetDriveTypeW(root);
        if ((type != DRIVE_FIXED && type != DRIVE_REMOVABLE) ||
            !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0))
            continue;
        ULARGE_INTEGER freeToCaller, total, totalFree;
        if (GetDiskFreeSpaceExW(root, &freeToCaller, &total, &totalFree)) {
            totalSum += total.QuadPart;
            freeSum += totalFree.QuadPart;
        }
        if (!allDrives)
            break;
    }
    // With no drive counted there is nothing to divide: the share stays 0.
    if (totalSum != 0)
        percentage = static_cast<double>(freeSum) * 100.0 / static_cast<double>(totalSum);
    text.Format(L"%0.2f%%", percentage);
}
