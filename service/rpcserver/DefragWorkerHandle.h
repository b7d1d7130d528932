// The handle of the current run's worker thread. The command loop adopts and closes it; RPC
// threads ask for the worker's priority at any time, so every use of the handle is locked.
#pragma once

#include <owners/WinOwners.h>

#include <windows.h>

#include <mutex>

class DefragWorkerHandle {
public:
    DefragWorkerHandle() = default;
    DefragWorkerHandle(const DefragWorkerHandle&) = delete;
    DefragWorkerHandle& operator=(const DefragWorkerHandle&) = delete;

    // Takes ownership of a new worker's handle; closes any previous one.
    void Adopt(HANDLE thread);
    void Close();
    bool Exists();
    // True when a worker exists and has ended, or ends within milliseconds. For the command
    // loop, the only thread that adopts and closes the handle.
    [[nodiscard]] bool HasEnded(DWORD milliseconds);
    // The worker's priority as the system reports it; THREAD_PRIORITY_ERROR_RETURN when none.
    int Priority();
    // Waits up to milliseconds for the worker to end; true when it has ended or none exists.
    [[nodiscard]] bool WaitForEnd(DWORD milliseconds);

private:
    std::mutex lock_;
    KernelHandle thread_;
};

extern DefragWorkerHandle g_defragWorker;
