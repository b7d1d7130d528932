// Worker threads: exit codes, and exceptions that escape a worker end only that thread.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

namespace {

UINT __cdecl ReturnParam(LPVOID pParam) {
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(pParam));
}

UINT __cdecl ThrowInvalidArg(LPVOID) {
    CStringArray empty;
    empty.GetAt(3); // the index error a worker may meet
    return 0;
}

UINT __cdecl ThrowAnything(LPVOID) {
    throw 42;
}

// Starts the worker suspended so that its object survives the thread, and waits for it.
DWORD RunToEnd(AFX_THREADPROC pfn, LPVOID pParam) {
    CWinThread* thread = AfxBeginThread(pfn, pParam, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread)
        return 0xBAD;
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    DWORD code = 0xBAD;
    if (WaitForSingleObject(thread->m_hThread, 10000) == WAIT_OBJECT_0)
        GetExitCodeThread(thread->m_hThread, &code);
    delete thread;
    return code;
}

TEST(WorkerThread, ExitCodeIsTheFunctionsResult) {
    EXPECT_EQ(7u, RunToEnd(&ReturnParam, reinterpret_cast<LPVOID>(7)));
}

TEST(WorkerThread, AnEscapingExceptionEndsOnlyTheWorker) {
    const LONG before = AfxGetHandlerExceptionCount();
    EXPECT_EQ(static_cast<DWORD>(-1), RunToEnd(&ThrowInvalidArg, nullptr));
    EXPECT_EQ(static_cast<DWORD>(-1), RunToEnd(&ThrowAnything, nullptr));
    EXPECT_EQ(before + 2, AfxGetHandlerExceptionCount());
}

TEST(WorkerThread, AutoDeletingWorkerCleansUpAfterItself) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CWinThread* thread = AfxBeginThread(
        [](LPVOID p) -> UINT {
            SetEvent(static_cast<HANDLE>(p));
            return 0;
        },
        done);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 10000));
    CloseHandle(done);
}

} // namespace
