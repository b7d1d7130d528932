// Threads that use the window classes: their state is freed when they end, and the process
// can still exit (a hang here shows as the test's timeout).
#include <gtest/gtest.h>

#include "classlib/App.h"
#include "classlib/Window.h"

namespace {
UINT __cdecl WorkerWithAWindow(LPVOID result) {
    CWnd window;
    BOOL created =
        window.CreateEx(0, nullptr, L"worker", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
    CWnd::FromHandle(::GetDesktopWindow()); // a temporary wrapper, freed with the thread
    *static_cast<BOOL*>(result) = created && AfxGetThread() != nullptr;
    window.DestroyWindow();
    return 3;
}
} // namespace

TEST(ThreadState, WorkersUseTheirOwnStateAndEndCleanly) {
    for (int i = 0; i < 3; ++i) {
        BOOL ok = FALSE;
        CWinThread* thread =
            AfxBeginThread(&WorkerWithAWindow, &ok, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        ASSERT_NE(thread, nullptr);
        thread->m_bAutoDelete = FALSE;
        thread->ResumeThread();
        ASSERT_EQ(::WaitForSingleObject(thread->m_hThread, 10000), WAIT_OBJECT_0);
        DWORD code = 0;
        ::GetExitCodeThread(thread->m_hThread, &code);
        EXPECT_EQ(code, 3u);
        EXPECT_TRUE(ok);
        delete thread;
    }
}
