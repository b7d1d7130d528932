// System CPU usage in percent, sampled at most every 200 ms and averaged over the last five
// samples. The samples are shared by every instance in the process.
#pragma once

#include <windows.h>

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
