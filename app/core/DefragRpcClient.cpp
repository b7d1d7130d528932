#include "DefragRpcClient.h"

#include "DefragRpcBinding.h"

#include <cstring>

int SafeRpcGetDefragState(int& state, int& priority) {
    int newState = 0;
    int newPriority = 0;
    const int result = RunDefragRpcCall([&] { return RpcGetDefragState(&newState, &newPriority); });
    if (result) {
        state = newState;
        priority = newPriority;
    }
    return result;
}

int SafeRpcSendDefragCommand(const DefragCommand& command) {
    return RunDefragRpcCall([&] {
        return RpcSendDefragCommand(sizeof command, reinterpret_cast<const byte*>(&command));
    });
}

int SafeRpcSetClusterMap(const ClusterMapBlock* cells, int count) {
    if (cells == nullptr || count <= 0 || count > kMaxMapBlockCount)
        return 0;
    const int size = count * static_cast<int>(sizeof(ClusterMapBlock));
    return RunDefragRpcCall(
        [&] { return RpcSetClusterMap(size, reinterpret_cast<const byte*>(cells)); });
}

int SafeRpcGetClusterMap(ClusterMapBlock* cells, int count) {
    if (cells == nullptr || count <= 0 || count > kMaxMapBlockCount)
        return 0;
    const int size = count * static_cast<int>(sizeof(ClusterMapBlock));
    int length = 0;
    return RunDefragRpcCall(
        [&] { return RpcGetClusterMap(size, &length, reinterpret_cast<byte*>(cells)); });
}

int SafeRpcGetDefragStatistics(DefragStatistics& statistics) {
    std::memset(&statistics, 0, sizeof statistics);
    int length = 0;
    const int result = RunDefragRpcCall([&] {
        return RpcGetDefragStatistics(sizeof statistics, &length,
                                      reinterpret_cast<byte*>(&statistics));
    });
    if (result && length == static_cast<int>(sizeof statistics))
        return result;
    // Nothing of a partial reply is kept.
    std::memset(&statistics, 0, sizeof statistics);
    return 0;
}

int SafeRpcGetReportCount(uint32_t& count) {
    int received = 0;
    const int result = RunDefragRpcCall([&] { return RpcGetReportCount(&received); });
    if (result)
        count = static_cast<uint32_t>(received);
    return result;
}

int SafeRpcGetReportItem(int index, ReportEntry& entry) {
    auto record = std::make_unique<FileReportRecord>();
    int length = 0;
    FileReportRecord* wire = record.get();
    const int result = RunDefragRpcCall([&] {
        return RpcGetReportItem(index, sizeof *wire, &length, reinterpret_cast<byte*>(wire));
    });
    if (!result || length != static_cast<int>(sizeof *wire))
        return 0;
    record->path[kPathUnits - 1] = L'\0';
    entry.path = record->path;
    entry.isDirectory = record->isDirectory;
    entry.fragmentsBefore = record->fragmentsBefore;
    entry.fragmentsAfter = record->fragmentsAfter;
    entry.allocatedClusters = record->allocatedClusters;
    entry.totalClusters = record->totalClusters;
    entry.fileSize = record->size;
    entry.status = record->status;
    return result;
}

int SafeRpcIsDefragPaused(int& paused) {
    int received = 0;
    const int result = RunDefragRpcCall([&] { return RpcIsDefragPaused(&received); });
    if (result)
        paused = received;
    return result;
}

int SafeRpcPauseDefrag() {
    return RunDefragRpcCall([] { return RpcPauseDefrag(); });
}

int SafeRpcResumeDefrag() {
    return RunDefragRpcCall([] { return RpcResumeDefrag(); });
}

int SafeRpcAbortDefrag() {
    return RunDefragRpcCall([] { return RpcAbortDefrag(); });
}

void FetchRunResults(RunResults& results) {
    results.statisticsRead = SafeRpcGetDefragStatistics(*results.statistics) == kRpcDone;
    results.reports.clear();
    results.reportsComplete = false;
    uint32_t count = 0;
    if (!SafeRpcGetReportCount(count))
        return;
    results.reports.reserve(count);
    for (uint32_t index = 0; index < count; ++index) {
        ReportEntry entry;
        if (!SafeRpcGetReportItem(static_cast<int>(index), entry))
            return;
        results.reports.push_back(std::move(entry));
    }
    results.reportsComplete = true;
}
