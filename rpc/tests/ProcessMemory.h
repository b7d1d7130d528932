// The memory counters of a process, for tests that watch a process's memory over many calls.
#pragma once

#include <windows.h>
#include <psapi.h>

// All zero when they cannot be read. A process's private memory is PagefileUsage: its commit
// charge on Windows, the pages it has touched under Wine (which reports no private usage).
inline PROCESS_MEMORY_COUNTERS MemoryCountersOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
        counters = {};
    return counters;
}
