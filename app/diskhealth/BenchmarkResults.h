// The figures of one read benchmark run, held by the application object beside the disk
// tables, and the summary the benchmark page shows from them.
#pragma once

#include <cstdint>
#include <memory>

#include <windows.h>

struct RandomAccessSample {
    uint64_t sector;
    double milliseconds;
};

struct BenchmarkResults {
    int32_t driveNumber = 0;
    FILETIME kernelTimeAtStart{};
    FILETIME kernelTimeAtEnd{};
    FILETIME systemTimeAtStart{};
    FILETIME systemTimeAtEnd{};
    uint32_t burstRate = 0; // bytes per second
    uint32_t sequentialPointCount = 0;
    std::unique_ptr<uint32_t[]> sequentialRates; // bytes per second per point
    uint32_t randomSampleCount = 0;
    std::unique_ptr<RandomAccessSample[]> randomSamples;
    // The error of a read that failed and ended a pass (0: none).
    DWORD failedReadError = 0;
    // The error of opening the drive (0: opened, or not tried).
    DWORD openError = 0;
    // The disk could not be opened or a read of it failed: what the run measured is partial
    // or nothing.
    bool DiskUnreadable() const { return openError != 0 || failedReadError != 0; }

    void Clear() { *this = BenchmarkResults(); }
};

struct BenchmarkFigures {
    bool hasRates = false;
    double minimumRate = 0, maximumRate = 0, averageRate = 0; // bytes per second
    double processorPercent = 0;
    bool hasSamples = false;
    double accessMilliseconds = 0;
    double burstRate = 0;
};

// The summary: rates up to the first 0, samples up to the first zero time, the processor use
// over the sequential pass (the current times stand in for an end not yet recorded); a span of
// 0 gives 0 % rather than a division by zero.
BenchmarkFigures SummarizeBenchmark(const BenchmarkResults& results, FILETIME currentKernelTime,
                                    FILETIME currentSystemTime);
