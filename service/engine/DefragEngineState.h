// The one engine state of the service: what a run produces and what the RPC procedures read.
//
// Threads and rules:
// - The worker thread (one run at a time) writes the statistics counters, the cells and the
//   reports. RPC threads read them concurrently.
// - statistics is the worker's own block: the worker writes it without a lock (a release
//   zeroes its counters while no worker runs). Clients never read it: PublishStatistics copies
//   its figures under statusLock into the published block, which CopyStatistics copies out
//   under the same lock; SetCurrentPath publishes the figures together with the path. So a
//   client never sees a half-written counter, only figures as recent as the last publication.
// - resultsLock guards the report list (append, count, read) and the cell array's existence
//   (allocate, free, client copies). The worker writes cell contents without it: a client may
//   see a half-updated cell, which is accepted. Cells are freed only while no worker runs.
// - No lock is held across anything that can fault: copies to and from a client's buffer run
//   under a fault guard inside the lock, so a fault fails one call and releases the lock.
// - jobState and paused are atomics; pauseEvent and abortEvent are manual-reset events for those
//   who wait on them. Each event has an atomic twin written with it, which the engine reads at
//   every check, so a check costs no system call. Change the abort only through RequestAbort and
//   ClearAbort. All of them live as long as the process, so no thread can outlive them.
// - Two parties pause a run: a client over RPC (the paused flag) and the service manager. The
//   pause event is set while either pause stands; change it only through SetClientPause and
//   SetServicePause.
//
// The engine adds its own per-run fields (volume handle, run list, options) below the marked
// line and frees what it owns in FreeDefragResults.
#pragma once

#include "BlockList.h"
#include "DefragRecords.h"

#include <owners/WinOwners.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// One file's report as the service keeps it until the results are released.
struct FileReport {
    std::wstring path;
    uint32_t isDirectory = 0;
    uint32_t fragmentsBefore = 0;
    uint32_t fragmentsAfter = 0;
    uint64_t allocatedClusters = 0;
    uint64_t totalClusters = 0;
    uint64_t size = 0;
    uint32_t status = kReportContiguous;
};

class DefragEngineState {
public:
    DefragEngineState();
    DefragEngineState(const DefragEngineState&) = delete;
    DefragEngineState& operator=(const DefragEngineState&) = delete;

    DefragStatistics statistics{};
    std::mutex statusLock;

    std::atomic<int32_t> jobState{kJobIdle};
    std::atomic<int32_t> paused{0}; // the client's pause
    // Manual-reset events for those who wait on a pause or an abort.
    HANDLE PauseEvent() const { return pauseEvent_.Get(); }
    HANDLE AbortEvent() const { return abortEvent_.Get(); }

    // Cell count N of the current or last run; stays set after a release.
    uint32_t cellCount = 0;
    uint64_t clustersPerCell = 0;

    // Moves an idle job to running with the client's pause and any abort cleared, in one step
    // against pauses and aborts: one sent by a client that already sees the run stands. False
    // when a job is not idle.
    [[nodiscard]] bool BeginJob();
    void SetClientPause(bool pause);
    void SetServicePause(bool pause);
    bool ServicePaused();
    void RequestAbort();
    void ClearAbort();
    // What the events say, read without a system call.
    bool AbortRequested() const { return abortRequested_.load(std::memory_order_acquire); }
    bool PauseRequested() const { return pauseRequested_.load(std::memory_order_acquire); }

    // Statistics.
    void PublishStatistics();
    void SetCurrentPath(const wchar_t* path);
    void SetCurrentPath(std::wstring_view path);
    // The published block; false (out partly written) when writing it faulted.
    [[nodiscard]] bool CopyStatistics(DefragStatistics& out);
    // Zeroes clusters per cell, the counters and the aborted flag, and publishes them.
    void ResetStatusCounters();

    // Cluster map. AllocateCells makes count zeroed cells and answers false when memory fails
    // (the array is then absent). Cells() is for the worker: null when no array exists.
    [[nodiscard]] bool AllocateCells(uint32_t count);
    ClusterMapBlock* Cells() { return cells_.empty() ? nullptr : cells_.data(); }
    // The cell array's bytes (cells × 40), 0 when no array exists.
    uint64_t CellBytes();
    // Client copies of the whole map; both refuse (false, nothing copied) when no array exists
    // or bytes ÷ 40 differs from the cell count, and answer false when the copy faulted.
    // CopyCellsOut answers the bytes copied.
    [[nodiscard]] bool CopyCellsOut(void* buffer, uint64_t bytes, uint64_t& copied);
    [[nodiscard]] bool CopyCellsIn(const void* buffer, uint64_t bytes);

    // Reports.
    void AddReport(FileReport report);
    uint32_t ReportCount();
    // Fills the wire record for report index; false for an index outside [0, count), or when
    // memory or writing the record failed.
    [[nodiscard]] bool GetReportItem(uint32_t index, FileReportRecord& out);

    // Frees the cells and the reports of a finished run, their capacity included.
    void FreeDefragResults();

    // ---- engine fields ----

private:
    const KernelHandle pauseEvent_;
    const KernelHandle abortEvent_;
    void ApplyPause();
    // Copies the worker's figures into the published block; statusLock is held.
    void PublishFigures();

    DefragStatistics published_{};
    std::mutex pauseLock_;
    bool servicePaused_ = false;
    std::atomic<bool> pauseRequested_{false};
    std::mutex abortLock_; // keeps the abort event and its twin in step
    std::atomic<bool> abortRequested_{false};
    std::mutex resultsLock_;
    std::vector<ClusterMapBlock> cells_;
    // Kept in blocks: a run of a million fragmented files adds a million reports.
    BlockList<FileReport, 4096> reports_;
};

// Built before the program's entry point runs.
extern DefragEngineState g_defragEngineState;
