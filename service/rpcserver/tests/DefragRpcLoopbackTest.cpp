// The interface end to end in one process: the server listens on the service's pipe and a
// client calls every procedure through the real transport, with the edge cases and bad input.
#include "DefragCommandQueue.h"
#include "DefragEngineState.h"
#include "DefragRpcListener.h"
#include "DefragWorkerHandle.h"
#include "RpcGuard.h"
#include "DefragRpcBinding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

class ListenerEnvironment : public testing::Environment {
public:
    void SetUp() override {
        listener_ = std::thread([this] { listened_ = RunDefragRpcListener(stop_.Get()); });
        for (int i = 0; i < 500 && RpcMgmtIsServerListening(nullptr) != RPC_S_OK; ++i)
            Sleep(10);
        ASSERT_EQ(RPC_S_OK, RpcMgmtIsServerListening(nullptr));
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
        ASSERT_EQ(RPC_S_OK, binding_->Status());
    }
    void TearDown() override {
        binding_.reset();
        SetEvent(stop_.Get());
        listener_.join();
        EXPECT_EQ(1, listened_.load()) << "the listener could not start";
    }

private:
    const KernelHandle stop_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread listener_;
    std::atomic<int> listened_{0};
    std::unique_ptr<DefragRpcBinding> binding_;
};

const auto* const kEnvironment = testing::AddGlobalTestEnvironment(new ListenerEnvironment);

int SendCommand(const DefragCommand& command, int size = sizeof(DefragCommand)) {
    std::vector<byte> bytes(sizeof command + 8, 0);
    std::memcpy(bytes.data(), &command, sizeof command);
    return RunGuarded([&] { return RpcSendDefragCommand(size, bytes.data()); });
}

DWORD WINAPI EndAtOnce(void*) {
    return 0;
}

class DefragRpcLoopback : public testing::Test {
protected:
    void SetUp() override {
        DefragEngineState& state = g_defragEngineState;
        state.FreeDefragResults();
        state.cellCount = 0;
        state.jobState = kJobIdle;
        state.SetClientPause(false);
        state.SetServicePause(false);
        state.ClearAbort();
        while (g_defragCommands.Take()) {
        }
    }
    DefragEngineState& state = g_defragEngineState;
};

} // namespace

TEST_F(DefragRpcLoopback, StateAndWorkerPriority) {
    int jobState = -1;
    int priority = 0;
    ASSERT_EQ(1, RunGuarded([&] { return RpcGetDefragState(&jobState, &priority); }));
    EXPECT_EQ(kJobIdle, jobState);
    EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, priority) << "no worker";

    state.jobState = kJobFinished;
    HANDLE worker = CreateThread(nullptr, 0, EndAtOnce, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(nullptr, worker);
    SetThreadPriority(worker, THREAD_PRIORITY_LOWEST);
    g_defragWorker.Adopt(worker);
    ASSERT_EQ(1, RunGuarded([&] { return RpcGetDefragState(&jobState, &priority); }));
    EXPECT_EQ(kJobFinished, jobState);
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, priority);
    ResumeThread(worker);
    EXPECT_TRUE(g_defragWorker.WaitForEnd(5000));
    g_defragWorker.Close();
}

TEST_F(DefragRpcLoopback, CommandsAreCheckedAndQueuedInOrder) {
    const DefragCommand release{kCommandRelease, L'C', 0, 2, 0};
    const DefragCommand defragment{kCommandDefragment, L'C', 248, 2, 1};
    EXPECT_EQ(0, SendCommand(defragment, 19));
    EXPECT_EQ(0, SendCommand(defragment, 21));
    EXPECT_FALSE(g_defragCommands.Take()) << "a refused command starts nothing";

    EXPECT_EQ(1, SendCommand(release));
    EXPECT_EQ(1, SendCommand(defragment));
    EXPECT_EQ(1, SendCommand({2, L'C', 248, 2, 0})) << "accepted and ignored";
    const auto first = g_defragCommands.Take();
    const auto second = g_defragCommands.Take();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(kCommandRelease, first->code);
    EXPECT_EQ(0, std::memcmp(&defragment, &*second, sizeof defragment));
    EXPECT_FALSE(g_defragCommands.Take());
}

TEST_F(DefragRpcLoopback, StartCommandsNeedAUsableBlockCount) {
    for (int code : {kCommandDefragment, kCommandAnalyse}) {
        for (int count : {0, -1, -248, kMaxMapBlockCount + 1, 0x7FFFFFFF})
            EXPECT_EQ(0, SendCommand({code, L'C', count, 2, 0})) << code << " " << count;
        EXPECT_FALSE(g_defragCommands.Take());
        EXPECT_EQ(1, SendCommand({code, L'C', kMaxMapBlockCount, 2, 0}));
        EXPECT_EQ(1, SendCommand({code, L'C', 1, 2, 0}));
        EXPECT_TRUE(g_defragCommands.Take() && g_defragCommands.Take());
    }
    EXPECT_EQ(1, SendCommand({kCommandRelease, L'C', -7, 2, 0})) << "a release carries no map";
}

TEST_F(DefragRpcLoopback, FullQueueRefuses) {
    const DefragCommand release{kCommandRelease, L'C', 0, 2, 0};
    for (size_t i = 0; i < CDefragCommandQueue::kCapacity; ++i)
        ASSERT_EQ(1, SendCommand(release));
    EXPECT_EQ(0, SendCommand(release));
    EXPECT_TRUE(g_defragCommands.Take());
    EXPECT_EQ(1, SendCommand(release));
}

TEST_F(DefragRpcLoopback, ClusterMapNeedsTheHeldCellCount) {
    std::vector<ClusterMapBlock> cells(250, ClusterMapBlock{1, 1, 1, 1, 1});
    auto* bytes = reinterpret_cast<byte*>(cells.data());
    int len = -1;
    EXPECT_EQ(0, RunGuarded([&] { return RpcGetClusterMap(248 * 40, &len, bytes); }))
        << "no cell array yet";
    EXPECT_EQ(0, len);
    EXPECT_EQ(0, RunGuarded([&] { return RpcSetClusterMap(248 * 40, bytes); }));

    ASSERT_TRUE(state.AllocateCells(248));
    state.Cells()[5].contiguousClusters = 555;
    EXPECT_EQ(0, RunGuarded([&] { return RpcGetClusterMap(247 * 40, &len, bytes); }));
    EXPECT_EQ(0, len);
    EXPECT_EQ(1u, cells[0].freeClusters) << "nothing copied";
    ASSERT_EQ(1, RunGuarded([&] { return RpcGetClusterMap(248 * 40 + 39, &len, bytes); }));
    EXPECT_EQ(248 * 40, len) << "only the cells travel";
    EXPECT_EQ(555u, cells[5].contiguousClusters);
    EXPECT_EQ(0u, cells[0].freeClusters);
    EXPECT_EQ(1u, cells[248].freeClusters) << "nothing past the map";
    ASSERT_EQ(1, RunGuarded([&] { return RpcGetClusterMap(248 * 40, &len, bytes); }));
    EXPECT_EQ(248 * 40, len);

    cells[7].mftZoneClusters = 77;
    EXPECT_EQ(0, RunGuarded([&] { return RpcSetClusterMap(247 * 40, bytes); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcSetClusterMap(248 * 40, bytes); }));
    EXPECT_EQ(77u, state.Cells()[7].mftZoneClusters);

    state.FreeDefragResults();
    EXPECT_EQ(0, RunGuarded([&] { return RpcGetClusterMap(248 * 40, &len, bytes); }));
    EXPECT_EQ(0, RunGuarded([&] { return RpcSetClusterMap(248 * 40, bytes); }));
}

TEST_F(DefragRpcLoopback, StatisticsNeverWritePastTheBuffer) {
    state.statistics.files = 1234;
    state.statistics.drive = L'T';
    state.SetCurrentPath(L"T:\\dir\\file");
    constexpr int kSize = sizeof(DefragStatistics);
    std::vector<byte> buffer(kSize + 100, 0xCC);
    int len = -1;
    EXPECT_EQ(0,
              RunGuarded([&] { return RpcGetDefragStatistics(kSize - 1, &len, buffer.data()); }));
    EXPECT_EQ(0, len);
    EXPECT_EQ(0xCC, buffer[0]) << "a short buffer gets nothing";

    ASSERT_EQ(1,
              RunGuarded([&] { return RpcGetDefragStatistics(kSize + 100, &len, buffer.data()); }));
    EXPECT_EQ(kSize, len) << "only the record travels";
    EXPECT_EQ(0xCC, buffer[kSize]);

    ASSERT_EQ(1, RunGuarded([&] { return RpcGetDefragStatistics(kSize, &len, buffer.data()); }));
    auto copy = std::make_unique<DefragStatistics>();
    std::memcpy(copy.get(), buffer.data(), kSize);
    EXPECT_EQ(1234u, copy->files);
    EXPECT_EQ(L'T', copy->drive);
    EXPECT_STREQ(L"T:\\dir\\file", copy->currentPath);
    state.SetCurrentPath(L"");
}

TEST_F(DefragRpcLoopback, ReportItems) {
    state.AddReport({L"T:\\a", 0, 4, 1, 8, 9, 1000, kReportFragmented});
    state.AddReport({L"T:\\dir", 1, 0, 0, 0, 0, 0, kReportNonNtfsDirectory});
    int count = 0;
    ASSERT_EQ(1, RunGuarded([&] { return RpcGetReportCount(&count); }));
    EXPECT_EQ(2, count);

    constexpr int kSize = sizeof(FileReportRecord);
    std::vector<byte> buffer(kSize + 100, 0xCC);
    int len = -1;
    for (int index : {2, 3, -1, -2147483647 - 1}) {
        EXPECT_EQ(0,
                  RunGuarded([&] { return RpcGetReportItem(index, kSize, &len, buffer.data()); }))
            << index;
        EXPECT_EQ(0, len);
    }
    EXPECT_EQ(0, RunGuarded([&] { return RpcGetReportItem(0, kSize - 1, &len, buffer.data()); }));
    EXPECT_EQ(0xCC, buffer[0]);

    ASSERT_EQ(1, RunGuarded([&] { return RpcGetReportItem(1, kSize + 100, &len, buffer.data()); }));
    EXPECT_EQ(kSize, len) << "only the record travels";
    EXPECT_EQ(0xCC, buffer[kSize]);
    auto record = std::make_unique<FileReportRecord>();
    std::memcpy(record.get(), buffer.data(), kSize);
    EXPECT_STREQ(L"T:\\dir", record->path);
    EXPECT_EQ(1u, record->isDirectory);
    EXPECT_EQ(5u, record->status);
    ASSERT_EQ(1, RunGuarded([&] { return RpcGetReportItem(0, kSize, &len, buffer.data()); }));
    std::memcpy(record.get(), buffer.data(), kSize);
    EXPECT_EQ(4u, record->fragmentsBefore);
    EXPECT_EQ(1000u, record->size);
}

TEST_F(DefragRpcLoopback, PauseResumeAbort) {
    int paused = -1;
    ASSERT_EQ(1, RunGuarded([&] { return RpcPauseDefrag(); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcPauseDefrag(); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcIsDefragPaused(&paused); }));
    EXPECT_EQ(1, paused);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.PauseEvent(), 0));

    ASSERT_EQ(1, RunGuarded([&] { return RpcResumeDefrag(); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcIsDefragPaused(&paused); }));
    EXPECT_EQ(0, paused);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(state.PauseEvent(), 0));

    ASSERT_EQ(1, RunGuarded([&] { return RpcPauseDefrag(); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcAbortDefrag(); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcIsDefragPaused(&paused); }));
    EXPECT_EQ(0, paused) << "aborting a paused run clears paused";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(state.PauseEvent(), 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.AbortEvent(), 0));
}

TEST_F(DefragRpcLoopback, ServicePauseOutlastsAClientResume) {
    state.SetServicePause(true);
    ASSERT_EQ(1, RunGuarded([&] { return RpcPauseDefrag(); }));
    ASSERT_EQ(1, RunGuarded([&] { return RpcResumeDefrag(); }));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.PauseEvent(), 0));
    ASSERT_EQ(1, RunGuarded([&] { return RpcAbortDefrag(); }));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.AbortEvent(), 0));
    state.SetServicePause(false);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(state.PauseEvent(), 0));
}

TEST_F(DefragRpcLoopback, BadSizesNeverHurtTheServer) {
    ASSERT_TRUE(state.AllocateCells(248));
    state.AddReport({L"T:\\a", 0, 1, 1, 1, 1, 1, kReportContiguous});
    std::vector<byte> buffer(sizeof(DefragStatistics), 0);
    int len = 0;
    // The stub refuses negative and outsized out-buffer sizes before it allocates anything.
    unsigned long code = 0;
    for (int size : {-1, -40, -2147483647 - 1}) {
        EXPECT_EQ(0,
                  RunGuarded([&] { return RpcGetClusterMap(size, &len, buffer.data()); }, &code));
        EXPECT_EQ(static_cast<unsigned long>(RPC_X_INVALID_BOUND), code) << size;
    }
    for (int size : {-1, -40, -2147483647 - 1, 1048577, 2147483647}) {
        EXPECT_EQ(0, RunGuarded([&] { return RpcGetDefragStatistics(size, &len, buffer.data()); },
                                &code));
        EXPECT_EQ(static_cast<unsigned long>(RPC_X_INVALID_BOUND), code) << size;
        EXPECT_EQ(
            0, RunGuarded([&] { return RpcGetReportItem(0, size, &len, buffer.data()); }, &code));
        EXPECT_EQ(static_cast<unsigned long>(RPC_X_INVALID_BOUND), code) << size;
    }
    // In-buffers are checked against what arrived. (A client stub given a size far beyond its
    // own buffer reads past that buffer: the caller's fault, which never reaches the server.)
    EXPECT_EQ(0, RunGuarded([&] { return RpcSendDefragCommand(-1, buffer.data()); }));
    EXPECT_EQ(0, RunGuarded([&] { return RpcSetClusterMap(-1, buffer.data()); }));
    int jobState = -1;
    int priority = 0;
    EXPECT_EQ(1, RunGuarded([&] { return RpcGetDefragState(&jobState, &priority); }))
        << "the server still answers";
}

TEST_F(DefragRpcLoopback, ConcurrentCallersWhileTheResultsChange) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int run = 0; run < 30; ++run) {
            if (!state.AllocateCells(248)) {
                ADD_FAILURE() << "no cells";
                break;
            }
            for (int i = 0; i < 20; ++i)
                state.AddReport({L"T:\\f", 0, 2, 1, 1, 1, 1, kReportContiguous});
            state.SetCurrentPath(L"T:\\f");
            Sleep(5);
            state.FreeDefragResults();
        }
        done = true;
    });
    std::vector<std::thread> clients;
    std::atomic<int> failures{0};
    for (int c = 0; c < 4; ++c) {
        clients.emplace_back([&] {
            std::vector<byte> buffer(sizeof(DefragStatistics));
            int len = 0;
            int value = 0;
            for (int i = 0; i < 40 && !done; ++i) {
                if (!RunGuarded([&] {
                        return RpcGetDefragStatistics(sizeof(DefragStatistics), &len,
                                                      buffer.data());
                    }))
                    ++failures;
                // The map and a report are refused while the results are freed; the statistics
                // and the count must always answer.
                static_cast<void>(
                    RunGuarded([&] { return RpcGetClusterMap(248 * 40, &len, buffer.data()); }));
                static_cast<void>(RunGuarded([&] {
                    return RpcGetReportItem(value % 20, sizeof(FileReportRecord), &len,
                                            buffer.data());
                }));
                if (!RunGuarded([&] { return RpcGetReportCount(&value); }))
                    ++failures;
            }
        });
    }
    for (auto& client : clients)
        client.join();
    worker.join();
    EXPECT_EQ(0, failures.load());
}

// A fault inside a procedure, with the results lock held: pages inside the cell array are made
// unreadable, so that the map's copies fault. The calls fail alone; the service still answers,
// its lock is free for a release, and it stops (the environment's tear-down).
TEST_F(DefragRpcLoopback, AFaultInsideAProcedureFailsOnlyThatCall) {
    constexpr uint32_t kCells = 100'000; // 4 MB: pages of its own, past the heap's header
    ASSERT_TRUE(state.AllocateCells(kCells));
    state.AddReport({L"T:\\a", 0, 1, 1, 1, 1, 1, kReportContiguous});
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const uintptr_t page = system.dwPageSize;
    const uintptr_t cells = reinterpret_cast<uintptr_t>(state.Cells());
    void* const unreadable = reinterpret_cast<void*>((cells + 2 * page - 1) & ~(page - 1));
    DWORD protection = 0;
    ASSERT_TRUE(VirtualProtect(unreadable, 16 * page, PAGE_NOACCESS, &protection));

    std::vector<byte> buffer(kCells * sizeof(ClusterMapBlock), 0x11);
    int len = -1;
    unsigned long code = 0;
    EXPECT_EQ(
        0, RunGuarded([&] { return RpcGetClusterMap(kCells * 40, &len, buffer.data()); }, &code));
    EXPECT_EQ(0, len);
    EXPECT_EQ(0, RunGuarded([&] { return RpcSetClusterMap(kCells * 40, buffer.data()); }));

    int count = 0;
    EXPECT_EQ(1, RunGuarded([&] { return RpcGetReportCount(&count); })) << "the lock is free";
    EXPECT_EQ(1, count);
    std::vector<byte> statistics(sizeof(DefragStatistics));
    EXPECT_EQ(1, RunGuarded([&] {
                  return RpcGetDefragStatistics(sizeof(DefragStatistics), &len, statistics.data());
              }));

    ASSERT_TRUE(VirtualProtect(unreadable, 16 * page, protection, &protection));
    EXPECT_EQ(1, RunGuarded([&] { return RpcGetClusterMap(kCells * 40, &len, buffer.data()); }))
        << "the same call, once the memory is readable again";
    EXPECT_EQ(static_cast<int>(kCells * 40), len);

    // The release takes the same lock; a lock left held would keep it waiting for good.
    std::atomic<bool> released{false};
    std::thread releaser([&] {
        state.FreeDefragResults();
        released = true;
    });
    for (int i = 0; i < 1000 && !released; ++i)
        Sleep(10);
    ASSERT_TRUE(released) << "the release is stuck";
    releaser.join();
    EXPECT_EQ(0, RunGuarded([&] { return RpcGetClusterMap(kCells * 40, &len, buffer.data()); }));
}
