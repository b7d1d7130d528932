// The main program's side of the defragmentation service's interface: guarded calls that answer
// 0 instead of raising when the service is missing or the pipe breaks, and the commands of a job.
#pragma once

#include "DefragRecords.h"
#include "ServiceControl.h"

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

// What a job's commands go through: the real one makes sure the service runs first.
class DefragCommandSender {
public:
    virtual ~DefragCommandSender() = default;
    // True only when the service accepted the command.
    [[nodiscard]] virtual bool Send(int32_t code, wchar_t drive, int32_t mode) = 0;
};

// Sends over the bound interface without looking at the service manager.
class RpcCommandSender : public DefragCommandSender {
public:
    explicit RpcCommandSender(int32_t mapBlockCount) : mapBlockCount_(mapBlockCount) {}
    [[nodiscard]] bool Send(int32_t code, wchar_t drive, int32_t mode) override;

private:
    int32_t mapBlockCount_;
};

// Opens the service through the record (keeping the new handle there), waits until it runs,
// then sends.
class ServiceCommandSender : public RpcCommandSender {
public:
    ServiceCommandSender(ServiceHandles& service, int32_t mapBlockCount)
        : RpcCommandSender(mapBlockCount), service_(service) {}
    [[nodiscard]] bool Send(int32_t code, wchar_t drive, int32_t mode) override;

private:
    ServiceHandles& service_;
};

// 1 when the service accepted the command; 0 when it could not be opened or started, or the
// procedure refused or failed.
[[nodiscard]] int SendDefragCommand(ServiceHandles& service, int32_t mapBlockCount, int32_t code,
                                    wchar_t drive, int32_t mode);

enum class DefragOperation { kAnalysis = 0, kDefragmentation = 1 };

// The commands that start a job: release, release, then analyse (6) or defragment (1, mode 1).
// Stops at the first command the service does not accept.
[[nodiscard]] bool StartDefragJob(DefragCommandSender& sender, DefragOperation operation,
                                  wchar_t drive);
// The second pass of a defragmentation: release, then defragment again.
[[nodiscard]] bool StartSecondPass(DefragCommandSender& sender, wchar_t drive);

// What the service holds of a finished run.
struct RunResults {
    std::unique_ptr<DefragStatistics> statistics = std::make_unique<DefragStatistics>();
    bool statisticsRead = false;
    std::vector<ReportEntry> reports;
    bool reportsComplete = false; // every record up to the count was read
};

// Reads the statistics, the report count and each report in index order.
void FetchRunResults(RunResults& results);
