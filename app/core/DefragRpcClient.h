// The main program's side of the defragmentation service's interface: guarded calls that answer
// 0 instead of raising when the service is missing or the pipe breaks, and the results of a run.
#pragma once

#include "DefragRecords.h"

#include <classlib/String.h>

#include <cstdint>
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

// Reads the statistics, the report count and each report in index order.
void FetchRunResults(RunResults& results);
