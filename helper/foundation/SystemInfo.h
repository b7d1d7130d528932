// Probes of the machine: Windows version, WOW64, administrator rights, size and date texts,
// drive space and CPU usage.
#pragma once

#include <windows.h>

#include <classlib/String.h>

DWORD GetOsMajorVersion();
DWORD GetOsMinorVersion();
bool IsWow64();
bool IsWow64Cached();
// The WOW64 system folder of a 32-bit process on 64-bit Windows, else empty.
void GetSystemWow64Folder(CString& folder);
bool IsUserAdmin();
// Whether the token lists the administrators group, whether or not its rights are in effect;
// true when the token cannot be read.
bool IsUserInAdminGroup();
// The byte count as kilobytes ("0.500 KB", "1.0 KB"); always returns 1.
int FormatSizeKB(ULONGLONG bytes, wchar_t* buffer, int bufferChars);
void FormatCurrentDateTime(CString& text);
// Free share of the system drive (or of every fixed and removable drive) as "12.34%".
void GetDrivesSpaceInfo(CString& text, double& percentage, bool allDrives);

class COsVersionInfo {
public:
    COsVersionInfo();
    COsVersionInfo(const COsVersionInfo& other) = default;
    COsVersionInfo& operator=(const COsVersionInfo& other);

    bool IsWin32s() const;
    bool IsWindows95() const;
    bool IsWindows98() const;
    bool IsWindowsMe() const;
    bool IsWindowsNT4() const;
    bool IsWindows2000() const;
    bool IsWindowsXP() const;
    bool IsWindowsVista() const;
    bool IsWindowsVistaFamily() const;
    bool IsWindows9xFamily() const;
    bool IsWindows98OrLater() const;
    bool IsWindowsMeOrLater() const;
    bool IsWindowsNT4OrLater() const;
    bool IsWindows2000OrLater() const;
    bool IsWindowsXPOrLater() const;
    bool IsVersion(DWORD major, DWORD minor) const;
    bool IsVersionOrLater(DWORD major, DWORD minor) const;

    OSVERSIONINFOW info;
};

// System CPU usage in percent, sampled at most every 200 ms and averaged over the last five
// samples. The samples are shared by every instance in the process.
class CpuUsageSampler {
public:
    CpuUsageSampler();
    ~CpuUsageSampler();
    CpuUsageSampler(const CpuUsageSampler&) = delete;
    CpuUsageSampler& operator=(const CpuUsageSampler&) = delete;

    void GetSystemTimes(ULONGLONG& idle, ULONGLONG& kernel, ULONGLONG& user);
    WORD GetCpuUsage();

private:
    using GetSystemTimesFn = BOOL(WINAPI*)(FILETIME*, FILETIME*, FILETIME*);
    using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

    CRITICAL_SECTION lock_;
    GetSystemTimesFn getSystemTimes_ = nullptr;
    NtQuerySystemInformationFn ntQuerySystemInformation_ = nullptr;
    BYTE* processorRecords_ = nullptr;
    ULONG processorRecordsBytes_ = 0;
};
