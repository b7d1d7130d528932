// The service host in one process: command line, the command loop's rules for starting and
// releasing runs, the worker's set-up, and a stop during a run.
#include "DefragRpcBinding.h"
#include "DefragWorkerHandle.h"
#include "RpcGuard.h"
#include "Service.h"
#include "ServiceCommandLine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::atomic<int> g_engineRuns{0};
std::atomic<bool> g_engineSawClientPause{false};
HANDLE g_engineGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);

// Stands in for the engine: holds the run until the gate opens or an abort comes.
void GatedEngine(DefragEngineState& state, const DefragCommand& command, bool) {
    ++g_engineRuns;
    g_engineSawClientPause = state.paused != 0;
    state.statistics.totalClusters = 1000;
    state.Cells()[command.mapBlockCount - 1].freeClusters = 5;
    state.AddReport({L"T:\\x", 0, 2, 1, 1, 1, 1, kReportFragmented});
    const HANDLE waits[] = {g_engineGate, state.AbortEvent()};
    WaitForMultipleObjects(2, waits, FALSE, 30'000);
}

DWORD WINAPI EndAfterAWhile(void*) {
    Sleep(300);
    return 0;
}

bool WaitForEngineRuns(int wanted) {
    for (int i = 0; i < 500 && g_engineRuns < wanted; ++i)
        Sleep(10);
    return g_engineRuns == wanted;
}

bool WaitForJobState(int32_t wanted) {
    for (int i = 0; i < 500; ++i) {
        if (g_defragEngineState.jobState == wanted)
            return true;
        Sleep(10);
    }
    return false;
}

class CommandLoop : public testing::Test {
protected:
    void SetUp() override {
        g_defragThread.SetEngine(GatedEngine);
        g_engineRuns = 0;
        ResetEvent(g_engineGate);
        ASSERT_EQ(kJobIdle, g_defragEngineState.jobState.load());
    }
    void TearDown() override {
        SetEvent(g_engineGate);
        if (state.jobState == kJobRunning)
            WaitForJobState(kJobFinished);
        Handle(kCommandRelease);
        g_defragThread.SetEngine(CDefragThread::RunEngineOnDrive);
    }
    static void Handle(int32_t code, int32_t blocks = 248, int32_t priority = kPriorityNormal) {
        HandleDefragCommand({code, L'T', blocks, priority, 0}, g_defragThread, g_defragEngineState);
    }
    DefragEngineState& state = g_defragEngineState;
};

// A service whose start can be driven without the service manager.
class TestService : public CService {
public:
    TestService() : CService(GetModuleHandleW(nullptr)) {}
    BOOL Begin() {
        serviceStopEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        return Init();
    }
};

// A service run as the dispatcher runs it, whose controls the test delivers.
class ControlledService : public CService {
public:
    ControlledService() : CService(GetModuleHandleW(nullptr)) {}
    using CServiceTemplate::HandleControl;
};

// A service whose Init fails, run as the dispatcher would run it (no manager behind it here).
class FailingService : public CService {
public:
    FailingService() : CService(GetModuleHandleW(nullptr)) {}
    BOOL Init() override { return FALSE; }
};

// Stands in for an engine that takes its time to see the abort.
void SlowToAbortEngine(DefragEngineState&, const DefragCommand&, bool) {
    Sleep(2'500);
}

} // namespace

TEST(ServiceCommandLine, SwitchesAndUnknownWords) {
    EXPECT_EQ(ServiceCommand::Install, ParseServiceCommandLine(L"-install"));
    EXPECT_EQ(ServiceCommand::Install, ParseServiceCommandLine(L"-INSTALL"));
    EXPECT_EQ(ServiceCommand::Install, ParseServiceCommandLine(L"/Install"));
    EXPECT_EQ(ServiceCommand::Remove, ParseServiceCommandLine(L"/remove"));
    EXPECT_EQ(ServiceCommand::Remove, ParseServiceCommandLine(L"-ReMoVe"));
    EXPECT_EQ(ServiceCommand::UnknownSwitch, ParseServiceCommandLine(L"-install now"));
    EXPECT_EQ(ServiceCommand::UnknownSwitch, ParseServiceCommandLine(L"-x"));
    EXPECT_EQ(ServiceCommand::UnknownSwitch, ParseServiceCommandLine(L"-"));
    EXPECT_EQ(ServiceCommand::Run, ParseServiceCommandLine(L""));
    EXPECT_EQ(ServiceCommand::Run, ParseServiceCommandLine(L"install"));
    EXPECT_EQ(ServiceCommand::Run, ParseServiceCommandLine(nullptr));
}

TEST(ServiceTemplate, OneInstancePerProcess) {
    CService first(GetModuleHandleW(nullptr));
    try {
        CService second(GetModuleHandleW(nullptr));
        FAIL() << "a second instance was made";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ("Second service instance is not allowed!", error.what());
    }
}

TEST(DefragThread, PrioritiesOfCommands) {
    EXPECT_EQ(THREAD_PRIORITY_IDLE, ThreadPriorityOf(0));
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, ThreadPriorityOf(1));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, ThreadPriorityOf(2));
    EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, ThreadPriorityOf(3));
    EXPECT_EQ(THREAD_PRIORITY_HIGHEST, ThreadPriorityOf(4));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, ThreadPriorityOf(5));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, ThreadPriorityOf(-1));
}

TEST_F(CommandLoop, RunningFromTheCommandOnAndOneRunAtATime) {
    state.SetClientPause(true);
    state.RequestAbort();
    state.ClearAbort(); // a stale abort would end the gated run at once
    Handle(kCommandAnalyse, 100, kPriorityLowest);
    EXPECT_EQ(kJobRunning, state.jobState.load()) << "running before the worker starts";
    for (int i = 0; i < 500 && g_engineRuns == 0; ++i)
        Sleep(10);
    ASSERT_EQ(1, g_engineRuns.load());
    EXPECT_FALSE(g_engineSawClientPause) << "a run starts unpaused";
    EXPECT_EQ(100u, state.cellCount);
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, g_defragWorker.Priority());

    state.SetClientPause(true); // sent by a client that sees the run
    Handle(kCommandDefragment);
    Handle(kCommandRelease);
    Handle(2);
    EXPECT_EQ(kJobRunning, state.jobState.load()) << "no second run, no release while running";
    EXPECT_TRUE(state.PauseRequested()) << "a refused start leaves the run's pause standing";
    state.SetClientPause(false);
    EXPECT_EQ(1u, state.ReportCount());

    SetEvent(g_engineGate);
    ASSERT_TRUE(WaitForJobState(kJobFinished));
    ASSERT_TRUE(g_defragWorker.WaitForEnd(5000));
    Handle(kCommandAnalyse);
    Sleep(100);
    EXPECT_EQ(1, g_engineRuns.load()) << "results held: a start does nothing";
    EXPECT_EQ(kJobFinished, state.jobState.load());

    Handle(kCommandRelease);
    EXPECT_EQ(kJobIdle, state.jobState.load());
    EXPECT_EQ(0u, state.ReportCount());
    EXPECT_EQ(nullptr, state.Cells());
    EXPECT_EQ(0u, state.statistics.totalClusters);
    EXPECT_FALSE(g_defragWorker.Exists());
    Handle(kCommandRelease);
    EXPECT_EQ(kJobIdle, state.jobState.load()) << "a release with no worker does nothing";
}

TEST(ServiceStop, AStopRightAfterTheStartIsNotLost) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        TestService service;
        ASSERT_TRUE(service.Begin());
        const DWORD start = GetTickCount();
        EXPECT_TRUE(service.Stop());
        EXPECT_LT(GetTickCount() - start, 5'000u) << "the listener and the loop end promptly";
        EXPECT_EQ(RPC_S_NOT_LISTENING, RpcMgmtIsServerListening(nullptr));
    }
}

// A stop while a call is still being served: the listener's end, and so the stop, waits for the
// call, which reads the engine state that the program frees after the stop.
TEST(ServiceStop, WaitsForTheCallsInProgress) {
    TestService service;
    ASSERT_TRUE(service.Begin());
    DefragRpcBinding binding(kDefragRpcEndpoint);
    ASSERT_EQ(RPC_S_OK, binding.Status());
    int count = 0;
    bool connected = false;
    for (int i = 0; i < 500 && !connected; ++i) { // the listener may still be registering
        connected = RunGuarded([&] { return RpcGetReportCount(&count); }) == 1;
        if (!connected)
            Sleep(10);
    }
    ASSERT_TRUE(connected);

    std::unique_lock held(g_defragEngineState.statusLock); // the call waits for it in the server
    std::atomic<int> answer{-1};
    std::thread client([&] {
        std::vector<byte> buffer(sizeof(DefragStatistics));
        int len = 0;
        answer = RunGuarded(
            [&] { return RpcGetDefragStatistics(sizeof(DefragStatistics), &len, buffer.data()); });
    });
    Sleep(1000); // ample for a call on a connected binding to reach the server
    std::atomic<bool> released{false};
    std::atomic<bool> stoppedFirst{false};
    std::atomic<BOOL> stopAnswer{FALSE};
    std::thread stopper([&] {
        stopAnswer = service.Stop();
        stoppedFirst = !released;
    });
    Sleep(500);
    released = true;
    held.unlock();
    stopper.join();
    client.join();
    EXPECT_TRUE(stopAnswer);
    EXPECT_FALSE(stoppedFirst) << "the stop ended while a call was still being served";
    EXPECT_EQ(1, answer.load()) << "the call in progress was answered";
}

TEST_F(CommandLoop, ServicePauseHoldsTheWorkerWithoutSuspendingIt) {
    TestService service;
    ASSERT_TRUE(service.Begin());
    EXPECT_TRUE(service.Pause());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(state.PauseEvent(), 0));
    const DefragCommand analyse{kCommandAnalyse, L'T', 248, kPriorityNormal, 0};
    ASSERT_TRUE(g_defragCommands.Post(analyse));
    Sleep(400);
    EXPECT_EQ(kJobIdle, state.jobState.load()) << "commands wait while the service is paused";
    EXPECT_TRUE(service.Continue());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(state.PauseEvent(), 0));
    EXPECT_TRUE(WaitForJobState(kJobRunning));

    // A stop during the run: the worker is aborted and waited for, then the results go.
    const DWORD start = GetTickCount();
    EXPECT_TRUE(service.Stop());
    EXPECT_LT(GetTickCount() - start, CService::kStopMilliseconds);
    EXPECT_TRUE(g_defragWorker.WaitForEnd(0));
    EXPECT_EQ(kJobFinished, state.jobState.load());
    EXPECT_EQ(nullptr, state.Cells());
    EXPECT_EQ(RPC_S_NOT_LISTENING, RpcMgmtIsServerListening(nullptr));
}

// The worker sets finished as its last step and its thread ends just after: a client that
// releases at once must not have its release dropped.
TEST_F(CommandLoop, AReleaseRightAfterFinishedWaitsForTheWorkersThreadToEnd) {
    HANDLE ending = CreateThread(nullptr, 0, EndAfterAWhile, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, ending);
    g_defragWorker.Adopt(ending);
    ASSERT_TRUE(state.AllocateCells(248));
    state.AddReport({L"T:\\x", 0, 2, 1, 1, 1, 1, kReportFragmented});
    state.statistics.totalClusters = 1000;
    state.jobState = kJobFinished;

    Handle(kCommandRelease);
    EXPECT_EQ(kJobIdle, state.jobState.load());
    EXPECT_EQ(nullptr, state.Cells());
    EXPECT_EQ(0u, state.ReportCount());
    EXPECT_EQ(0u, state.statistics.totalClusters);
    EXPECT_FALSE(g_defragWorker.Exists());
}

// A client's next pass sends a release and a start back to back: the loop carries out both, in
// order, and the new worker runs the start command it was given.
TEST_F(CommandLoop, AReleaseAndAStartSentTogetherAreBothCarriedOut) {
    TestService service;
    ASSERT_TRUE(service.Begin());
    SetEvent(g_engineGate);
    ASSERT_TRUE(g_defragCommands.Post({kCommandAnalyse, L'T', 248, kPriorityNormal, 0}));
    ASSERT_TRUE(WaitForEngineRuns(1));
    ASSERT_TRUE(WaitForJobState(kJobFinished));

    ASSERT_TRUE(g_defragCommands.Post({kCommandRelease, L'T', 0, kPriorityNormal, 0}));
    ASSERT_TRUE(g_defragCommands.Post({kCommandDefragment, L'T', 100, kPriorityLowest, 0}));
    EXPECT_TRUE(WaitForEngineRuns(2)) << "the start after the release was lost";
    EXPECT_TRUE(WaitForJobState(kJobFinished));
    EXPECT_EQ(100u, state.cellCount);
    EXPECT_EQ(1u, state.ReportCount()) << "the first run's results were released";
    EXPECT_TRUE(service.Stop());
}

TEST(ServiceTemplate, AFailedStartReportsItsCode) {
    FailingService service;
    service.ServiceRun();
    const SERVICE_STATUS& status = service.Status();
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), status.dwCurrentState);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR), status.dwWin32ExitCode)
        << "not a clean stop";
    EXPECT_EQ(static_cast<DWORD>(kExitInitFailed), status.dwServiceSpecificExitCode);
}

// A stop that waits seconds for the worker keeps telling the manager it is still stopping.
TEST(ServiceStop, ReportsProgressUntilItEnds) {
    g_defragThread.SetEngine(SlowToAbortEngine);
    TestService service;
    ASSERT_TRUE(service.Begin());
    HandleDefragCommand({kCommandAnalyse, L'T', 248, kPriorityNormal, 0}, g_defragThread,
                        g_defragEngineState);
    ASSERT_EQ(kJobRunning, g_defragEngineState.jobState.load());

    std::atomic<bool> stopped{false};
    std::atomic<BOOL> stopAnswer{FALSE};
    std::thread stopper([&] {
        stopAnswer = service.Stop();
        stopped = true;
    });
    std::vector<DWORD> checkPoints;
    while (!stopped) {
        // Read while the stop writes it; a value a few steps old is all the test needs.
        const SERVICE_STATUS status = service.Status();
        if (status.dwCurrentState == SERVICE_STOP_PENDING &&
            (checkPoints.empty() || checkPoints.back() != status.dwCheckPoint)) {
            checkPoints.push_back(status.dwCheckPoint);
            EXPECT_EQ(CServiceTemplate::kPendingWaitHint, status.dwWaitHint);
            EXPECT_EQ(0u, status.dwControlsAccepted);
        }
        Sleep(20);
    }
    stopper.join();
    EXPECT_TRUE(stopAnswer);
    EXPECT_GE(checkPoints.size(), 2u) << "new check points while the worker was waited for";
    for (size_t i = 1; i < checkPoints.size(); ++i)
        EXPECT_GT(checkPoints[i], checkPoints[i - 1]);
    EXPECT_TRUE(g_defragWorker.WaitForEnd(0)) << "the stop waited for the worker";
    g_defragThread.SetEngine(CDefragThread::RunEngineOnDrive);
    g_defragEngineState.jobState = kJobIdle;
    g_defragWorker.Close();
}

// Stop() ends the listener and the command loop through the stop event before it waits for the
// worker; the service reports stopped only once the whole stop is done, since a program that
// has reported stopped goes on to end its process.
TEST(ServiceStop, ReportsStoppedOnlyOnceTheStopIsDone) {
    g_defragThread.SetEngine(SlowToAbortEngine);
    ControlledService service;
    std::thread dispatcher([&] { service.ServiceRun(); });
    for (int i = 0; i < 500 && service.Status().dwCurrentState != SERVICE_RUNNING; ++i)
        Sleep(10);
    ASSERT_EQ(static_cast<DWORD>(SERVICE_RUNNING), service.Status().dwCurrentState);
    HandleDefragCommand({kCommandAnalyse, L'T', 248, kPriorityNormal, 0}, g_defragThread,
                        g_defragEngineState);
    ASSERT_EQ(kJobRunning, g_defragEngineState.jobState.load());

    std::atomic<bool> stopHandled{false};
    std::thread handler([&] {
        service.HandleControl(SERVICE_CONTROL_STOP);
        stopHandled = true;
    });
    bool stoppedEarly = false;
    while (!stopHandled) {
        stoppedEarly = stoppedEarly || service.Status().dwCurrentState == SERVICE_STOPPED;
        Sleep(10);
    }
    handler.join();
    dispatcher.join();
    EXPECT_FALSE(stoppedEarly) << "stopped reported while the stop still waited for the worker";
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), service.Status().dwCurrentState);
    g_defragThread.SetEngine(CDefragThread::RunEngineOnDrive);
    g_defragEngineState.jobState = kJobIdle;
    g_defragWorker.Close();
}
