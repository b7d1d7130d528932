#include "DefragThread.h"

#include "DefragRun.h"
#include "DefragWorkerHandle.h"
#include "SimVolumeApi.h"
#include "SimulatedVolumeConfig.h"
#include "WindowsVolumeApi.h"

int ThreadPriorityOf(int32_t priority) {
    switch (priority) {
    case kPriorityIdle:
        return THREAD_PRIORITY_IDLE;
    case kPriorityLowest:
        return THREAD_PRIORITY_LOWEST;
    case kPriorityAboveNormal:
        return THREAD_PRIORITY_ABOVE_NORMAL;
    case kPriorityHighest:
        return THREAD_PRIORITY_HIGHEST;
    default:
        return THREAD_PRIORITY_NORMAL;
    }
}

bool CDefragThread::StartRun(const DefragCommand& command) {
    // The pause and abort are reset here, before the thread exists, so that one that follows
    // the start is never undone by a worker that starts late.
    if (!state_.BeginJob())
        return false;
    command_ = command;
    analyseAndDefragment_ = command.code == kCommandDefragment;
    HANDLE thread = Start();
    if (!thread) {
        state_.jobState = kJobIdle;
        return false;
    }
    g_defragWorker.Adopt(thread);
    return true;
}

DWORD CDefragThread::Run() {
    SetThreadPriority(GetCurrentThread(), ThreadPriorityOf(command_.priority));
    if (state_.AllocateCells(static_cast<uint32_t>(command_.mapBlockCount)))
        engine_(state_, command_, analyseAndDefragment_);
    else
        state_.ResetStatusCounters(); // no clusters: the client reads a failed run
    state_.jobState = kJobFinished;
    state_.ClearAbort();
    return 0;
}

void CDefragThread::RunEngineOnDrive(DefragEngineState& state, const DefragCommand& command,
                                     bool analyseAndDefragment) {
    const std::optional<std::wstring> image = FindSimulatedVolumeImage(command.drive);
    // A failed run needs no answer here: its statistics show no clusters, which the client
    // reads as a failed run.
    if (!image) {
        CWindowsVolumeApi volume;
        static_cast<void>(
            RunDefrag(state, volume, command.mode, command.drive, analyseAndDefragment));
        return;
    }
    // A drive configured for a simulated volume never falls back to its real device: when the
    // image cannot be mounted nothing stands at the letter, and the run fails as for a volume
    // that cannot be opened. The image is unmounted (and checkpointed) when the run ends.
    CSimVolumeApi volume;
    if (!image->empty())
        static_cast<void>(volume.MountImage(command.drive, *image)); // a failure: see above
    static_cast<void>(RunDefrag(state, volume, command.mode, command.drive, analyseAndDefragment));
}
