#include "DefragRpcClient.h"

#include "DefragRpcBinding.h"

#include <algorithm>
#include <cstring>
#include <thread>

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

namespace {

// Readers of the reports at once: the pipe serves a few calls side by side, and more threads
// gain nothing.
constexpr unsigned kReportReaders = 4;

// Reads the records [0, count) into `reports`; answers how many lie unbroken from the start.
uint32_t ReadReports(std::vector<ReportEntry>& reports, uint32_t count,
                     const std::function<bool()>& cancelled, RunResultsProgress* progress) {
    std::atomic<uint32_t> next{0};
    // The first index that could not be read (or was not read because the read was cancelled).
    std::atomic<uint32_t> firstGap{count};
    const auto read = [&] {
        for (;;) {
            const uint32_t index = next++;
            if (index >= count || index >= firstGap.load())
                return;
            if ((cancelled && cancelled()) ||
                !SafeRpcGetReportItem(static_cast<int>(index), reports[index])) {
                uint32_t gap = firstGap.load();
                while (index < gap && !firstGap.compare_exchange_weak(gap, index)) {
                }
                return;
            }
            if (progress != nullptr)
                ++progress->read;
        }
    };
    const unsigned readers = std::min<uint32_t>(kReportReaders, count);
    std::vector<std::thread> threads;
    for (unsigned reader = 1; reader < readers; ++reader)
        threads.emplace_back(read);
    read();
    for (std::thread& thread : threads)
        thread.join();
    return firstGap.load();
}

} // namespace

void FetchRunResults(RunResults& results, const std::function<bool()>& cancelled,
                     RunResultsProgress* progress) {
    results.statisticsRead = SafeRpcGetDefragStatistics(*results.statistics) == kRpcDone;
    results.reports.clear();
    results.reportsComplete = false;
    uint32_t count = 0;
    if (!SafeRpcGetReportCount(count))
        return;
    if (progress != nullptr)
        progress->count = count;
    results.reports.resize(count);
    const uint32_t unbroken = ReadReports(results.reports, count, cancelled, progress);
    results.reports.resize(unbroken);
    results.reportsComplete = unbroken == count && !(cancelled && cancelled());
}

ServicePoll PollService(int blockCount) {
    ServicePoll poll;
    poll.stateRead = SafeRpcGetDefragState(poll.state, poll.priority) != 0;
    poll.pausedRead = SafeRpcIsDefragPaused(poll.paused) != 0;
    // A paused job changes nothing on the page.
    if (poll.pausedRead && poll.paused)
        return poll;
    poll.statisticsRead = SafeRpcGetDefragStatistics(*poll.statistics) != 0;
    if (blockCount > 0) {
        poll.cells.resize(static_cast<size_t>(blockCount));
        poll.mapRead = SafeRpcGetClusterMap(poll.cells.data(), blockCount) == kRpcDone;
    }
    return poll;
}
