#include "Service.h"

#include "DefragWorkerHandle.h"

#include <algorithm>

namespace {

constexpr DWORD kCommandWaitMilliseconds = 100;
constexpr DWORD kThreadStopMilliseconds = 10'000;
// A worker that has set finished has only its thread's end left to do.
constexpr DWORD kWorkerEndMilliseconds = 5'000;

CDefragRPC g_defragRpc;

// A stop reports progress to the manager at least this often while it waits.
constexpr DWORD kStopProgressMilliseconds = CServiceTemplate::kPendingWaitHint / 2;

DWORD TimeLeft(DWORD deadline) {
    const int32_t left = static_cast<int32_t>(deadline - GetTickCount());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Each thread gets its own limit within what is left of the stop budget.
DWORD ThreadDeadline(DWORD deadline) {
    return GetTickCount() + std::min(TimeLeft(deadline), kThreadStopMilliseconds);
}

} // namespace

CDefragThread g_defragThread(g_defragEngineState);

void HandleDefragCommand(const DefragCommand& command, CDefragThread& worker,
                         DefragEngineState& state) {
    switch (command.code) {
    case kCommandDefragment:
    case kCommandAnalyse:
        // Refused while a run exists or waits to be released: the client reads the job state.
        static_cast<void>(worker.StartRun(command));
        break;
    case kCommandRelease:
        // A client releases as soon as it reads finished, which the worker sets as its last
        // step: its thread may still be ending. Waiting for that keeps the release from being
        // lost (the client would wait for idle in vain, and its next start be refused).
        if (state.jobState == kJobFinished && g_defragWorker.HasEnded(kWorkerEndMilliseconds)) {
            state.FreeDefragResults();
            state.ResetStatusCounters();
            g_defragWorker.Close();
            state.jobState = kJobIdle;
        }
        break;
    default:
        break;
    }
}

CService::CService(HINSTANCE instance) : CServiceTemplate(instance, kServiceName, kServiceName) {}

CService::~CService() = default;

BOOL CService::Init() {
    g_defragRpc.SetStopEvent(serviceStopEvent_.Get());
    SetStopEvent(serviceStopEvent_.Get());
    rpcThread_.Reset(g_defragRpc.Start());
    commandThread_.Reset(CThread::Start());
    // Without its listener the service still runs and stops, but no client reaches it.
    return commandThread_.IsValid();
}

bool CService::WaitReportingProgress(const std::function<bool(DWORD)>& wait, DWORD deadline) {
    for (;;) {
        const DWORD left = TimeLeft(deadline);
        if (wait(std::min(left, kStopProgressMilliseconds)))
            return true;
        if (left <= kStopProgressMilliseconds)
            return false;
        SetServiceState(SERVICE_STOP_PENDING, 0, kPendingWaitHint);
    }
}

bool CService::WaitForThreadReportingProgress(HANDLE thread, DWORD deadline) {
    return !thread || WaitReportingProgress(
                          [thread](DWORD milliseconds) {
                              return WaitForSingleObject(thread, milliseconds) == WAIT_OBJECT_0;
                          },
                          deadline);
}

BOOL CService::Stop() {
    const DWORD deadline = GetTickCount() + kStopMilliseconds;
    // The listener stops listening and the command loop ends: no run starts after this.
    SetEvent(serviceStopEvent_.Get());
    // A thread that outlives its share of the budget does not hold up the stop: the worker is
    // aborted all the same, and its results are freed only once it has ended.
    static_cast<void>(WaitForThreadReportingProgress(rpcThread_.Get(), ThreadDeadline(deadline)));
    static_cast<void>(
        WaitForThreadReportingProgress(commandThread_.Get(), ThreadDeadline(deadline)));
    // Then the running worker is aborted and waited for before its results go.
    g_defragEngineState.RequestAbort();
    if (WaitReportingProgress(
            [](DWORD milliseconds) { return g_defragWorker.WaitForEnd(milliseconds); }, deadline))
        g_defragEngineState.FreeDefragResults();
    return TRUE;
}

// The service manager's pause holds the worker at its next pause check and the command loop
// at its next turn; no thread is suspended, so none can stop while it holds a lock.
BOOL CService::Pause() {
    g_defragEngineState.SetServicePause(true);
    return TRUE;
}

BOOL CService::Continue() {
    g_defragEngineState.SetServicePause(false);
    return TRUE;
}

DWORD CService::Run() {
    while (WaitForSingleObject(stopEvent_, 0) != WAIT_OBJECT_0) {
        WaitForSingleObject(g_defragCommands.Event(), kCommandWaitMilliseconds);
        if (g_defragEngineState.ServicePaused())
            continue;
        while (const auto command = g_defragCommands.Take())
            HandleDefragCommand(*command, g_defragThread, g_defragEngineState);
    }
    return 0;
}
