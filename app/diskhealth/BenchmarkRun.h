// The read benchmark's worker: a burst rate, a sequential transfer curve across the disk and
// random access times of one physical drive, read without the system cache. One run at a
// time; the owner starts it, may stop it, and always waits for it before the thread's handle
// is closed.
#pragma once

#include "BenchmarkResults.h"
#include "PhysicalDiskTable.h"

#include <DiskApi.h>
#include <owners/WinOwners.h>

#include <atomic>

// What the worker tells the benchmark page; called on the worker's thread (the page forwards
// with SendMessage, so the worker waits while the page repaints).
class CBenchmarkSink {
public:
    virtual ~CBenchmarkSink() = default;
    // Once, before the passes: the page sets the sequential point count (the graph's width).
    virtual void OnRunStarting(BenchmarkResults& results) = 0;
    // New figures to draw.
    virtual void OnProgress() = 0;
    // The run ended (finished, stopped, or the drive could not be opened).
    virtual void OnRunEnded() = 0;
};

// The drive as the physical disk table describes it.
struct BenchmarkDrive {
    int32_t driveNumber = -1;
    uint32_t bytesPerSector = 0;
    uint64_t totalSectors = 0;
    uint32_t bufferSize = 0;
};
BenchmarkDrive BenchmarkDriveOf(const PhysicalDriveInfo& drive);

class CBenchmarkRun {
public:
    static constexpr uint32_t kRandomSampleCount = 2000;
    static constexpr uint32_t kSequentialReadBytes = 1024000;

    CBenchmarkRun(CDiskApi& api, CBenchmarkSink& sink) : api_(api), sink_(sink) {}
    // Stops a run still going and waits for it.
    ~CBenchmarkRun();
    CBenchmarkRun(const CBenchmarkRun&) = delete;
    CBenchmarkRun& operator=(const CBenchmarkRun&) = delete;

    // Starts the worker on the drive (a previous run is stopped and waited for first); `results`
    // is zeroed by the worker and must outlive the run. samplePercent is the share of each
    // sequential step that is read. False when the thread cannot be started.
    [[nodiscard]] bool Start(const BenchmarkDrive& drive, BenchmarkResults& results,
                             uint32_t samplePercent = 10);
    // Asks the worker to end before its next read and waits for it; the figures measured so far
    // stay. Sent messages are delivered while waiting, so a worker that is notifying the
    // waiting thread's window is not blocked.
    void Stop();
    // Waits for a run to end by itself (at most timeoutMs); true when no run is active.
    [[nodiscard]] bool Wait(DWORD timeoutMs);
    bool IsRunning() const;
    // The worker's kernel time so far (zero without a run).
    FILETIME WorkerKernelTime() const;

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Run();
    void Join();
    void BurstPass(HANDLE drive);
    void SequentialPass(HANDLE drive);
    void RandomPass(HANDLE drive);
    // One timed read at a byte position; false (the error recorded) when the read fails or
    // a stop was asked for before it.
    bool TimedRead(HANDLE drive, uint64_t position, void* buffer, DWORD bytes, DWORD& read,
                   LONGLONG& ticks);

    CDiskApi& api_;
    CBenchmarkSink& sink_;
    KernelHandle thread_; // closed after the worker ended
    std::atomic<bool> stop_{false};
    BenchmarkDrive drive_;
    BenchmarkResults* results_ = nullptr;
    uint32_t samplePercent_ = 10;
    LONGLONG frequency_ = 1;
};
