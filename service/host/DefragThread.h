// The defragmentation worker: one run of the engine per start command, on a thread of its own.
#pragma once

#include "DefragEngineState.h"
#include "Thread.h"

class CDefragThread : public CThread {
public:
    // Runs the engine for one command; the state's cells are allocated for it.
    using EngineRun = void (*)(DefragEngineState& state, const DefragCommand& command,
                               bool analyseAndDefragment);

    explicit CDefragThread(DefragEngineState& state, EngineRun engine = RunEngineOnDrive)
        : state_(state), engine_(engine) {}

    // Tests put an engine of their own in place.
    void SetEngine(EngineRun engine) { engine_ = engine; }

    // Starts a worker for command (a copy is kept), or answers false when the state is not idle
    // or no thread could be made. The state reads running before the worker starts, so a client
    // polling right after its command never sees idle.
    [[nodiscard]] bool StartRun(const DefragCommand& command);
    DWORD Run() override;

    // The engine on the drive the command names: on the simulated volume the service's
    // configuration names for that drive (SimulatedVolumeConfig.h), else on its own volume.
    static void RunEngineOnDrive(DefragEngineState& state, const DefragCommand& command,
                                 bool analyseAndDefragment);

private:
    DefragEngineState& state_;
    EngineRun engine_;
    DefragCommand command_{};
    bool analyseAndDefragment_ = false;
};

// The system's thread priority for a command's priority value; anything unknown is normal.
int ThreadPriorityOf(int32_t priority);
