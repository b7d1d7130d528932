// The defragmentation service: the RPC listener thread, the command loop and the worker.
#pragma once

#include "DefragCommandQueue.h"
#include "DefragRPC.h"
#include "DefragThread.h"
#include "ServiceTemplate.h"
#include "Thread.h"

#include <owners/WinOwners.h>

#include <functional>

inline constexpr wchar_t kServiceName[] = L"XarnStellmark";

class CService : public CServiceTemplate, public CThread {
public:
    explicit CService(HINSTANCE instance);
    ~CService() override;

    int ReportError(int code) override { return code; }
    BOOL Pause() override;
    BOOL Continue() override;
    BOOL Init() override;
    BOOL Stop() override;

    // The command loop: hands every queued command to HandleCommand, in order, until the stop
    // event; holds commands while the service is paused.
    DWORD Run() override;

    // The stop budget: the listener, the command loop and the worker all end within it.
    static constexpr DWORD kStopMilliseconds = 20'000;

private:
    // Waits in steps (wait answers whether the end came within the milliseconds given) until
    // the deadline, reporting stop-pending with a new check point after every step; true when
    // the end came.
    [[nodiscard]] bool WaitReportingProgress(const std::function<bool(DWORD)>& wait,
                                             DWORD deadline);
    [[nodiscard]] bool WaitForThreadReportingProgress(HANDLE thread, DWORD deadline);

    KernelHandle rpcThread_;
    KernelHandle commandThread_;
};

// The service's one worker object.
extern CDefragThread g_defragThread;

// One command of the loop: 1 and 6 start a run unless one exists; 5 releases the results of a
// finished run once its worker has ended; anything else does nothing.
void HandleDefragCommand(const DefragCommand& command, CDefragThread& worker,
                         DefragEngineState& state);
