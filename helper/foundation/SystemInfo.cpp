#include "SystemInfo.h"

#include <owners/LockGuards.h>
#include <owners/WinOwners.h>

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <new>

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

template <typename Fn> Fn KernelEntry(const char* name) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name)))
                  : nullptr;
}

ULONGLONG FromFileTime(const FILETIME& time) {
    return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// Process-wide samples shared by every CpuUsageSampler.
struct CpuSamples {
    DWORD lastTick = 0;
    ULONGLONG lastSampleTime = 0;
    ULONGLONG idle = 0, kernel = 0, user = 0;
    WORD lastUsage = 0;
    WORD history[5] = {};
    int historyCount = 0;
    int historyIndex = 0;
};
CpuSamples g_cpu;

// Layout of one SystemProcessorPerformanceInformation record.
struct ProcessorTimes {
    LONGLONG idle, kernel, user, dpc, interrupt;
    ULONG interruptCount;
};
static_assert(sizeof(ProcessorTimes) == 48);

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

COsVersionInfo::COsVersionInfo() {
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(&info);
}

COsVersionInfo& COsVersionInfo::operator=(const COsVersionInfo& other) {
    info = other.info;
    return *this;
}

bool COsVersionInfo::IsWin32s() const {
    return info.dwPlatformId == 0;
}
bool COsVersionInfo::IsWindows95() const {
    return info.dwPlatformId == 1 && info.dwMajorVersion == 4 && info.dwMinorVersion < 10;
}
bool COsVersionInfo::IsWindows98() const {
    return info.dwPlatformId == 1 && IsVersion(4, 10);
}
bool COsVersionInfo::IsWindowsMe() const {
    return info.dwPlatformId == 1 && IsVersion(4, 90);
}
bool COsVersionInfo::IsWindowsNT4() const {
    return info.dwPlatformId == 2 && IsVersion(4, 0);
}
bool COsVersionInfo::IsWindows2000() const {
    return info.dwPlatformId == 2 && IsVersion(5, 0);
}
bool COsVersionInfo::IsWindowsXP() const {
    return info.dwPlatformId == 2 && IsVersion(5, 1);
}
bool COsVersionInfo::IsWindowsVista() const {
    return info.dwPlatformId == 2 && IsVersion(6, 0);
}
bool COsVersionInfo::IsWindowsVistaFamily() const {
    return IsWindowsVista();
}
bool COsVersionInfo::IsWindows9xFamily() const {
    return info.dwPlatformId == 1 && info.dwMajorVersion > 3;
}
bool COsVersionInfo::IsWindows98OrLater() const {
    return info.dwPlatformId == 1 && IsVersionOrLater(4, 10);
}
bool COsVersionInfo::IsWindowsMeOrLater() const {
    return info.dwPlatformId == 1 && IsVersionOrLater(4, 90);
}
bool COsVersionInfo::IsWindowsNT4OrLater() const {
    return info.dwPlatformId >= 2 && info.dwMajorVersion >= 4;
}
bool COsVersionInfo::IsWindows2000OrLater() const {
    return info.dwPlatformId >= 2 && info.dwMajorVersion >= 5;
}
bool COsVersionInfo::IsWindowsXPOrLater() const {
    return info.dwPlatformId > 1 && IsVersionOrLater(5, 1);
}
bool COsVersionInfo::IsVersion(DWORD major, DWORD minor) const {
    return info.dwMajorVersion == major && info.dwMinorVersion == minor;
}
bool COsVersionInfo::IsVersionOrLater(DWORD major, DWORD minor) const {
    return info.dwMajorVersion > major ||
           (info.dwMajorVersion == major && info.dwMinorVersion >= minor);
}

CpuUsageSampler::CpuUsageSampler() {
    InitializeCriticalSection(&lock_);
    getSystemTimes_ = KernelEntry<GetSystemTimesFn>("GetSystemTimes");
    if (!getSystemTimes_) {
        if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
            ntQuerySystemInformation_ = reinterpret_cast<NtQuerySystemInformationFn>(
                reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
        constexpr ULONG kProcessorPerformance = 8;
        ULONG needed = 0;
        if (ntQuerySystemInformation_) {
            ntQuerySystemInformation_(kProcessorPerformance, nullptr, 0, &needed);
            processorRecordsBytes_ = needed / sizeof(ProcessorTimes) * sizeof(ProcessorTimes);
            if (processorRecordsBytes_ != 0)
                processorRecords_ = new (std::nothrow) BYTE[processorRecordsBytes_];
        }
    }
    g_cpu.lastTick = GetTickCount();
}

CpuUsageSampler::~CpuUsageSampler() {
    delete[] processorRecords_;
    DeleteCriticalSection(&lock_);
}

void CpuUsageSampler::GetSystemTimes(ULONGLONG& idle, ULONGLONG& kernel, ULONGLONG& user) {
    idle = kernel = user = 0;
    if (getSystemTimes_) {
        FILETIME idleTime, kernelTime, userTime;
        if (getSystemTimes_(&idleTime, &kernelTime, &userTime)) {
            idle = FromFileTime(idleTime);
            kernel = FromFileTime(kernelTime);
            user = FromFileTime(userTime);
        }
        return;
    }
    constexpr ULONG kProcessorPerformance = 8;
    if (!processorRecords_ || !ntQuerySystemInformation_ ||
        ntQuerySystemInformation_(kProcessorPerformance, processorRecords_, processorRecordsBytes_,
                                  nullptr) < 0)
        return;
    const ULONG count = processorRecordsBytes_ / sizeof(ProcessorTimes);
    const auto* records = reinterpret_cast<const ProcessorTimes*>(processorRecords_);
    for (ULONG i = 0; i < count; ++i) {
        idle += static_cast<ULONGLONG>(records[i].idle);
        kernel += static_cast<ULONGLONG>(records[i].kernel);
        user += static_cast<ULONGLONG>(records[i].user);
    }
    idle /= count;
    kernel /= count;
    user /= count;
}

WORD CpuUsageSampler::GetCpuUsage() {
    const CriticalSectionGuard hold(lock_);
    const DWORD tick = GetTickCount();
    if (((tick - g_cpu.lastTick) & 0x7FFFFFFF) <= 200 && g_cpu.lastSampleTime != 0)
        return g_cpu.lastUsage;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG idle, kernel, user;
    GetSystemTimes(idle, kernel, user);
    if (g_cpu.lastSampleTime == 0) {
        g_cpu.lastSampleTime = FromFileTime(now);
        g_cpu.idle = idle;
        g_cpu.kernel = kernel;
        g_cpu.user = user;
        g_cpu.lastUsage = 0;
        g_cpu.lastTick = tick;
        return 0;
    }
    const ULONGLONG idleDelta = idle - g_cpu.idle;
    const ULONGLONG total = (kernel - g_cpu.kernel) + (user - g_cpu.user);
    const ULONGLONG busy = total > idleDelta ? total - idleDelta : 0;
    const WORD usage = total == 0 ? 0 : static_cast<WORD>(busy * 100 / total);
    g_cpu.lastSampleTime = FromFileTime(now);
    g_cpu.idle = idle;
    g_cpu.kernel = kernel;
    g_cpu.user = user;

    g_cpu.history[g_cpu.historyIndex % 5] = usage;
    g_cpu.historyIndex = (g_cpu.historyIndex + 1) % 5;
    if (g_cpu.historyCount < 5)
        ++g_cpu.historyCount;
    unsigned sum = 0;
    for (int i = 0; i < g_cpu.historyCount; ++i)
        sum += g_cpu.history[i];
    g_cpu.lastUsage = static_cast<WORD>(sum / static_cast<unsigned>(g_cpu.historyCount));
    g_cpu.lastTick = tick;
    return g_cpu.lastUsage;
}
