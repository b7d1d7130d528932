// The client against a scripted stand-in of the service built from the same interface: the
// command sequences the pages send, and guarded results when the service refuses or fails.
#include "DefragCommandSender.h"
#include "DefragRpcBinding.h"
#include "DefragRpcClient.h"
#include "FragmentationFigures.h"
#include "RpcCommandSender.h"
#include "StandInServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kStandInEndpoint[] = L"\\pipe\\xarn_core_standin";
constexpr int32_t kBlocks = 1403;

// What the stand-in answers and what it saw; guarded by one lock.
struct Script {
    std::mutex lock;
    std::vector<DefragCommand> commands;
    std::vector<int> commandSizes;
    int refuseCode = 0; // a command code answered with 0
    bool raise = false; // every procedure raises instead of answering
    int jobState = kJobIdle;
    int shortStatistics = 0; // bytes the statistics reply leaves out
    DefragStatistics statistics{};
    std::vector<FileReportRecord> reports;
    int pauses = 0;
    int resumes = 0;
    int aborts = 0;
};

Script g_script;

void RaiseIfScripted() {
    if (g_script.raise)
        RpcRaiseException(RPC_S_CALL_FAILED);
}

const auto* const kEnvironment =
    testing::AddGlobalTestEnvironment(new StandInServer(kStandInEndpoint));

} // namespace

extern "C" {

int ServerRpcGetDefragState(int* state, int* priority) {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    *state = g_script.jobState;
    *priority = THREAD_PRIORITY_NORMAL;
    return 1;
}

int ServerRpcSendDefragCommand(int size, const byte* command) {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    g_script.commandSizes.push_back(size);
    if (size != sizeof(DefragCommand))
        return 0;
    DefragCommand received;
    std::memcpy(&received, command, sizeof received);
    g_script.commands.push_back(received);
    if (received.code == g_script.refuseCode)
        return 0;
    if (received.code == kCommandRelease)
        g_script.jobState = kJobIdle;
    else
        g_script.jobState = kJobRunning;
    return 1;
}

int ServerRpcSetClusterMap(int size, const byte*) {
    RaiseIfScripted();
    return size == kBlocks * static_cast<int>(sizeof(ClusterMapBlock));
}

int ServerRpcGetClusterMap(int size, int* len, byte* cells) {
    RaiseIfScripted();
    *len = size;
    if (size != kBlocks * static_cast<int>(sizeof(ClusterMapBlock)))
        return 0;
    std::memset(cells, 0, size);
    reinterpret_cast<ClusterMapBlock*>(cells)[kBlocks - 1].fragmentedClusters = 7;
    return 1;
}

int ServerRpcGetDefragStatistics(int size, int* len, byte* statistics) {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    const int copied = std::min<int>(size, sizeof g_script.statistics) - g_script.shortStatistics;
    std::memcpy(statistics, &g_script.statistics, copied);
    *len = copied;
    return 1;
}

int ServerRpcGetReportCount(int* count) {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    *count = static_cast<int>(g_script.reports.size());
    return 1;
}

int ServerRpcGetReportItem(int index, int size, int* len, byte* record) {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    *len = size;
    if (index < 0 || index >= static_cast<int>(g_script.reports.size()) ||
        size != sizeof(FileReportRecord))
        return 0;
    std::memcpy(record, &g_script.reports[index], size);
    return 1;
}

int ServerRpcIsDefragPaused(int* paused) {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    *paused = g_script.pauses > g_script.resumes;
    return 1;
}

int ServerRpcPauseDefrag() {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    ++g_script.pauses;
    return 1;
}

int ServerRpcResumeDefrag() {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    ++g_script.resumes;
    return 1;
}

int ServerRpcAbortDefrag() {
    RaiseIfScripted();
    std::lock_guard guard(g_script.lock);
    ++g_script.aborts;
    return 1;
}

} // extern "C"

namespace {

class RpcClientStandIn : public testing::Test {
protected:
    void SetUp() override {
        std::lock_guard guard(g_script.lock);
        g_script.commands.clear();
        g_script.commandSizes.clear();
        g_script.refuseCode = 0;
        g_script.raise = false;
        g_script.jobState = kJobIdle;
        g_script.shortStatistics = 0;
        g_script.statistics = {};
        g_script.reports.clear();
        g_script.pauses = g_script.resumes = g_script.aborts = 0;
    }
    static std::vector<int> Codes() {
        std::vector<int> codes;
        for (const DefragCommand& command : g_script.commands)
            codes.push_back(command.code);
        return codes;
    }
    static std::vector<int> Modes() {
        std::vector<int> modes;
        for (const DefragCommand& command : g_script.commands)
            modes.push_back(command.mode);
        return modes;
    }
    static void AddReport(const wchar_t* path, uint32_t before, uint32_t after, uint64_t clusters,
                          uint32_t status) {
        auto record = std::make_unique<FileReportRecord>();
        std::memset(record.get(), 0, sizeof *record);
        wcscpy(record->path, path);
        record->fragmentsBefore = before;
        record->fragmentsAfter = after;
        record->allocatedClusters = clusters;
        record->size = clusters * 4096;
        record->status = status;
        g_script.reports.push_back(*record);
    }
    RpcCommandSender sender_{kBlocks};
};

TEST_F(RpcClientStandIn, AnalysisSendsReleaseReleaseAnalyse) {
    ASSERT_TRUE(StartDefragJob(sender_, DefragOperation::kAnalysis, L'T'));
    EXPECT_EQ((std::vector<int>{5, 5, 6}), Codes());
    EXPECT_EQ((std::vector<int>{0, 0, 0}), Modes());
    for (const DefragCommand& command : g_script.commands) {
        EXPECT_EQ(L'T', command.drive);
        EXPECT_EQ(kBlocks, command.mapBlockCount);
        EXPECT_EQ(kPriorityNormal, command.priority);
    }
    EXPECT_EQ((std::vector<int>{20, 20, 20}), g_script.commandSizes);
    int state = -1;
    int priority = 0;
    ASSERT_EQ(1, SafeRpcGetDefragState(state, priority));
    EXPECT_EQ(kJobRunning, state);
}

TEST_F(RpcClientStandIn, DefragmentationRunsTwoPasses) {
    ASSERT_TRUE(StartDefragJob(sender_, DefragOperation::kDefragmentation, L'T'));
    g_script.jobState = kJobFinished;
    ASSERT_TRUE(StartSecondPass(sender_, L'T'));
    EXPECT_EQ((std::vector<int>{5, 5, 1, 5, 1}), Codes());
    EXPECT_EQ((std::vector<int>{0, 0, 1, 0, 1}), Modes());
}

TEST_F(RpcClientStandIn, RefusedCommandIsNotReportedAsSent) {
    g_script.refuseCode = kCommandAnalyse;
    EXPECT_FALSE(StartDefragJob(sender_, DefragOperation::kAnalysis, L'T'));
    EXPECT_EQ(0, SafeRpcSendDefragCommand(DefragCommand{kCommandAnalyse, L'T', kBlocks, 2, 0}));

    SetUp();
    g_script.refuseCode = kCommandRelease;
    EXPECT_FALSE(StartDefragJob(sender_, DefragOperation::kDefragmentation, L'T'));
    EXPECT_EQ((std::vector<int>{5}), Codes()) << "nothing after the first refusal";
    EXPECT_FALSE(StartSecondPass(sender_, L'T'));
}

TEST_F(RpcClientStandIn, RaisingServiceGivesZeroAndKeepsValues) {
    g_script.raise = true;
    int state = kJobRunning;
    int priority = 5;
    EXPECT_EQ(0, SafeRpcGetDefragState(state, priority));
    EXPECT_EQ(kJobRunning, state) << "the last known state stays";
    EXPECT_EQ(5, priority);
    EXPECT_FALSE(StartDefragJob(sender_, DefragOperation::kAnalysis, L'T'));
    int paused = 3;
    EXPECT_EQ(0, SafeRpcIsDefragPaused(paused));
    EXPECT_EQ(3, paused);
    uint32_t count = 9;
    EXPECT_EQ(0, SafeRpcGetReportCount(count));
    EXPECT_EQ(9u, count);
    EXPECT_EQ(0, SafeRpcPauseDefrag());
    RunResults results;
    FetchRunResults(results);
    EXPECT_FALSE(results.statisticsRead);
    FragmentationFigures figures;
    EXPECT_FALSE(ComputeFragmentation(results, figures));
}

TEST_F(RpcClientStandIn, UnboundInterfaceMakesNoCall) {
    const handle_t bound = g_defragRpcBinding;
    g_defragRpcBinding = nullptr;
    int state = 7;
    int priority = 7;
    const int result = SafeRpcGetDefragState(state, priority);
    const bool sent = sender_.Send(kCommandRelease, L'T', 0);
    g_defragRpcBinding = bound;
    EXPECT_EQ(0, result);
    EXPECT_FALSE(sent);
    EXPECT_EQ(7, state);
    EXPECT_TRUE(g_script.commands.empty());
}

TEST_F(RpcClientStandIn, ResultsOfAFinishedRun) {
    g_script.statistics.totalClusters = 10'000;
    g_script.statistics.usedClusters = 4'000;
    g_script.statistics.fragmentedFiles = 2;
    AddReport(L"T:\\Tom & Jerry.avi", 4, 1, 300, kReportContiguous);
    AddReport(L"T:\\one.txt", 1, 1, 700, kReportContiguous);
    AddReport(L"T:\\locked.db", 3, 3, 100, kReportOpenFailed);
    RunResults results;
    FetchRunResults(results);
    ASSERT_TRUE(results.statisticsRead);
    ASSERT_TRUE(results.reportsComplete);
    ASSERT_EQ(3u, results.reports.size());
    EXPECT_STREQ(L"T:\\Tom & Jerry.avi", results.reports[0].path.GetString());
    EXPECT_EQ(kReportOpenFailed, results.reports[2].status);
    EXPECT_EQ(100u * 4096, results.reports[2].fileSize);
    FragmentationFigures figures;
    ASSERT_TRUE(ComputeFragmentation(results, figures));
    EXPECT_DOUBLE_EQ(4.0, figures.diskBefore);  // 400 of 10,000
    EXPECT_DOUBLE_EQ(10.0, figures.dataBefore); // 400 of 4,000
    EXPECT_DOUBLE_EQ(1.0, figures.diskAfter);

    ReportEntry beyond;
    beyond.path = L"unchanged";
    EXPECT_EQ(0, SafeRpcGetReportItem(3, beyond));
    EXPECT_STREQ(L"unchanged", beyond.path.GetString());
}

TEST_F(RpcClientStandIn, FailedOrShortStatisticsAreNoResults) {
    g_script.statistics.totalClusters = 0; // the service's sign of a run that failed
    g_script.statistics.usedClusters = 0;
    AddReport(L"T:\\a.bin", 5, 5, 10, kReportContiguous);
    RunResults results;
    FetchRunResults(results);
    EXPECT_TRUE(results.statisticsRead);
    FragmentationFigures figures;
    EXPECT_FALSE(ComputeFragmentation(results, figures));

    g_script.statistics.totalClusters = 100;
    g_script.statistics.usedClusters = 50;
    g_script.shortStatistics = 8;
    FetchRunResults(results);
    EXPECT_FALSE(results.statisticsRead) << "a short reply is no statistics";
    EXPECT_EQ(0u, results.statistics->totalClusters) << "the block is zeroed";
}

TEST_F(RpcClientStandIn, ClusterMapOnlyAtTheServiceSize) {
    std::vector<ClusterMapBlock> cells(kBlocks);
    ASSERT_EQ(1, SafeRpcGetClusterMap(cells.data(), kBlocks));
    EXPECT_EQ(7u, cells[kBlocks - 1].fragmentedClusters);
    EXPECT_EQ(0, SafeRpcGetClusterMap(cells.data(), kBlocks - 1));
    EXPECT_EQ(1, SafeRpcSetClusterMap(cells.data(), kBlocks));
    EXPECT_EQ(0, SafeRpcSetClusterMap(cells.data(), 0));
    EXPECT_EQ(0, SafeRpcGetClusterMap(nullptr, kBlocks));
}

TEST_F(RpcClientStandIn, PauseResumeAbort) {
    EXPECT_EQ(1, SafeRpcPauseDefrag());
    int paused = 0;
    ASSERT_EQ(1, SafeRpcIsDefragPaused(paused));
    EXPECT_EQ(1, paused);
    EXPECT_EQ(1, SafeRpcResumeDefrag());
    ASSERT_EQ(1, SafeRpcIsDefragPaused(paused));
    EXPECT_EQ(0, paused);
    EXPECT_EQ(1, SafeRpcAbortDefrag());
    EXPECT_EQ(1, g_script.aborts);
}

} // namespace
