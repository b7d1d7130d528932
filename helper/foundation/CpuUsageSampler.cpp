#include "CpuUsageSampler.h"

#include "KernelEntry.h"

#include <owners/LockGuards.h>

#include <new>

namespace {

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
