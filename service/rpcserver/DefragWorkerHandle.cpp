#include "DefragWorkerHandle.h"

DefragWorkerHandle g_defragWorker;

void DefragWorkerHandle::Adopt(HANDLE thread) {
    std::lock_guard lock(lock_);
    if (thread_)
        CloseHandle(thread_);
    thread_ = thread;
}

void DefragWorkerHandle::Close() {
    Adopt(nullptr);
}

bool DefragWorkerHandle::Exists() {
    std::lock_guard lock(lock_);
    return thread_ != nullptr;
}

bool DefragWorkerHandle::HasEnded(DWORD milliseconds) {
    return Exists() && WaitForEnd(milliseconds);
}

int DefragWorkerHandle::Priority() {
    std::lock_guard lock(lock_);
    return thread_ ? GetThreadPriority(thread_) : THREAD_PRIORITY_ERROR_RETURN;
}

bool DefragWorkerHandle::WaitForEnd(DWORD milliseconds) {
    HANDLE copy = nullptr;
    {
        std::lock_guard lock(lock_);
        if (!thread_)
            return true;
        // A private copy, so the wait never holds the lock or a handle another thread closes.
        if (!DuplicateHandle(GetCurrentProcess(), thread_, GetCurrentProcess(), &copy, SYNCHRONIZE,
                             FALSE, 0))
            return false;
    }
    const bool ended = WaitForSingleObject(copy, milliseconds) == WAIT_OBJECT_0;
    CloseHandle(copy);
    return ended;
}
