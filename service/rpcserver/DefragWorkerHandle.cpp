#include "DefragWorkerHandle.h"

DefragWorkerHandle g_defragWorker;

void DefragWorkerHandle::Adopt(HANDLE thread) {
    std::lock_guard lock(lock_);
    thread_.Reset(thread);
}

void DefragWorkerHandle::Close() {
    Adopt(nullptr);
}

bool DefragWorkerHandle::Exists() {
    std::lock_guard lock(lock_);
    return thread_.IsValid();
}

bool DefragWorkerHandle::HasEnded(DWORD milliseconds) {
    return Exists() && WaitForEnd(milliseconds);
}

int DefragWorkerHandle::Priority() {
    std::lock_guard lock(lock_);
    return thread_ ? GetThreadPriority(thread_.Get()) : THREAD_PRIORITY_ERROR_RETURN;
}

bool DefragWorkerHandle::WaitForEnd(DWORD milliseconds) {
    KernelHandle copy;
    {
        std::lock_guard lock(lock_);
        if (!thread_)
            return true;
        // A private copy, so the wait never holds the lock or a handle another thread closes.
        if (!DuplicateHandle(GetCurrentProcess(), thread_.Get(), GetCurrentProcess(), copy.Put(),
                             SYNCHRONIZE, FALSE, 0))
            return false;
    }
    return WaitForSingleObject(copy.Get(), milliseconds) == WAIT_OBJECT_0;
}
