#include "Thread.h"

HANDLE CThread::Start() {
    return CreateThread(nullptr, 0, ThreadStartRoutine, this, 0, nullptr);
}

DWORD WINAPI CThread::ThreadStartRoutine(void* thread) {
    return static_cast<CThread*>(thread)->Run();
}
