// A thread object: Run is the thread's body, ThreadStartRoutine the start routine handed to
// CreateThread.
#pragma once

#include <windows.h>

class CThread {
public:
    virtual ~CThread() = default;
    virtual DWORD Run() = 0;

    // The service's stop event, which Run may watch; owned by the service.
    void SetStopEvent(HANDLE stopEvent) { stopEvent_ = stopEvent; }
    // Starts Run on a new thread; the handle, or null when the thread could not be made.
    [[nodiscard]] HANDLE Start();

    static DWORD WINAPI ThreadStartRoutine(void* thread);

protected:
    HANDLE stopEvent_ = nullptr;
};
