// The main program's side of the defragmentation service's interface: guarded calls that answer
// 0 instead of raising when the service is missing or the pipe breaks, and the results of a run.
#pragma once

#include "DefragRecords.h"

#include <classlib/String.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// One file report as the client keeps it.
struct ReportEntry {
    CString path;
    uint32_t isDirectory = 0;
    uint32_t fragmentsBefore = 0;
    uint32_t fragmentsAfter = 0;
    uint64_t allocatedClusters = 0;
    uint64_t totalClusters = 0;
    uint64_t fileSize = 0;
    uint32_t status = kReportContiguous;
};

// Each wrapper answers the procedure's result, or 0 when the call failed; out-values change
// only when the call succeeded.
[[nodiscard]] int SafeRpcGetDefragState(int& state, int& priority);
[[nodiscard]] int SafeRpcSendDefragCommand(const DefragCommand& command);
[[nodiscard]] int SafeRpcSetClusterMap(const ClusterMapBlock* cells, int count);
[[nodiscard]] int SafeRpcGetClusterMap(ClusterMapBlock* cells, int count);
// The block is zeroed first; a reply shorter than the block counts as a failure.
[[nodiscard]] int SafeRpcGetDefragStatistics(DefragStatistics& statistics);
[[nodiscard]] int SafeRpcGetReportCount(uint32_t& count);
[[nodiscard]] int SafeRpcGetReportItem(int index, ReportEntry& entry);
[[nodiscard]] int SafeRpcIsDefragPaused(int& paused);
[[nodiscard]] int SafeRpcPauseDefrag();
[[nodiscard]] int SafeRpcResumeDefrag();
[[nodiscard]] int SafeRpcAbortDefrag();

// What the service holds of a finished run.
struct RunResults {
    std::unique_ptr<DefragStatistics> statistics = std::make_unique<DefragStatistics>();
    bool statisticsRead = false;
    std::vector<ReportEntry> reports;
    bool reportsComplete = false; // every record up to the count was read
};

// How far a read of the reports has come, for a window that shows it while another thread
// reads.
struct RunResultsProgress {
    std::atomic<uint32_t> read{0};
    std::atomic<uint32_t> count{0};
};

// Reads the statistics, the report count and every report, in index order in the list. The
// reports are asked for by a few threads at once (each call waits mostly on the pipe); the list
// ends before the first record that could not be read. `cancelled`, when given, is asked
// between records: a cancelled read ends short, not complete.
void FetchRunResults(RunResults& results, const std::function<bool()>& cancelled = {},
                     RunResultsProgress* progress = nullptr);

// One poll of a running job: its state, whether it is paused and, unless it is, the statistics
// and the cluster map of `blockCount` cells. Each part says whether it was read.
struct ServicePoll {
    bool stateRead = false;
    int state = 0;
    int priority = 0;
    bool pausedRead = false;
    int paused = 0;
    bool statisticsRead = false;
    std::unique_ptr<DefragStatistics> statistics = std::make_unique<DefragStatistics>();
    bool mapRead = false;
    std::vector<ClusterMapBlock> cells;
};

ServicePoll PollService(int blockCount);
