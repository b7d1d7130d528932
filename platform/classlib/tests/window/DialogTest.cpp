// Modal dialogs: results, the dialog class, showing on idle, and quit codes of nested loops.
#include <gtest/gtest.h>

#include "classlib/App.h"
#include "classlib/Dialog.h"
#include "TestResources.h"

namespace {
constexpr UINT WM_TEST_END = WM_APP + 10;
constexpr UINT WM_TEST_NEST = WM_APP + 11;

class CTestDialog : public CDialog {
public:
    using CDialog::CDialog;
    int endWith = 42;
    bool endDuringInit = false;
    bool refuseToShow = false;
    bool quitInside = false;
    int nestLevels = 0;
    int quitCode = 18;
    wchar_t className[32] = {};
    bool visibleAtFirstKick = false;
    int kicks = 0;
    INT_PTR innerResult = 0;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ::GetClassNameW(m_hWnd, className, 32);
        if (endDuringInit) {
            EndDialog(endWith);
            return TRUE;
        }
        PostMessage(nestLevels > 0 ? WM_TEST_NEST : WM_TEST_END);
        return TRUE;
    }

protected:
    LRESULT OnTestEnd(WPARAM, LPARAM) {
        if (quitInside)
            ::PostQuitMessage(quitCode);
        else if (!refuseToShow)
            EndDialog(endWith);
        else
            SetTimer(1, 50, nullptr);
        return 0;
    }
    LRESULT OnTestNest(WPARAM, LPARAM) {
        CTestDialog inner(IDD_TEST_HIDDEN, this);
        inner.nestLevels = nestLevels - 1;
        inner.quitInside = quitInside;
        inner.quitCode = quitCode;
        innerResult = inner.DoModal();
        return 0;
    }
    LRESULT OnKickIdle(WPARAM, LPARAM) {
        if (kicks++ == 0)
            visibleAtFirstKick = IsWindowVisible();
        return 0;
    }
    void OnWindowPosChanging(WINDOWPOS* pos) {
        CDialog::OnWindowPosChanging(pos);
        if (refuseToShow)
            pos->flags &= ~SWP_SHOWWINDOW;
    }
    void OnTimer(UINT_PTR) {
        KillTimer(1);
        EndDialog(endWith);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
ON_MESSAGE(WM_TEST_END, &CTestDialog::OnTestEnd)
ON_MESSAGE(WM_TEST_NEST, &CTestDialog::OnTestNest)
ON_MESSAGE(WM_KICKIDLE, &CTestDialog::OnKickIdle)
ON_WM_WINDOWPOSCHANGING()
ON_WM_TIMER()
END_MESSAGE_MAP()

// Removes a quit left in the queue by a test, so that later tests can run loops.
void DrainQuit() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}
} // namespace

TEST(DoModal, ReturnsTheValueGivenToEndDialog) {
    CTestDialog dialog(IDD_TEST_PLAIN);
    dialog.endWith = 42;
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_STREQ(dialog.className, L"#32770");
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(DoModal, EndDialogDuringInitialisationEndsAtOnce) {
    CTestDialog dialog(IDD_TEST_PLAIN);
    dialog.endDuringInit = true;
    dialog.endWith = 7;
    EXPECT_EQ(dialog.DoModal(), 7);
    EXPECT_EQ(dialog.kicks, 0);
}

TEST(DoModal, CancelCommandGivesIdCancel) {
    class CCancelling : public CTestDialog {
    public:
        using CTestDialog::CTestDialog;
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            PostMessage(WM_COMMAND, IDCANCEL);
            return TRUE;
        }
    } dialog(IDD_TEST_PLAIN);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DoModal, MissingTemplateGivesMinusOne) {
    CTestDialog dialog(4999u);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(DoModal, HiddenDialogIsShownWhenTheLoopFirstIdles) {
    // The dialog ends on a timer, so the loop is idle in between.
    class CWaiting : public CTestDialog {
    public:
        using CTestDialog::CTestDialog;
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            SetTimer(1, 100, nullptr);
            return TRUE;
        }
    } waiting(IDD_TEST_HIDDEN);
    waiting.endWith = 3;
    EXPECT_EQ(waiting.DoModal(), 3);
    EXPECT_GE(waiting.kicks, 1);
    EXPECT_TRUE(waiting.visibleAtFirstKick);
}

TEST(DoModal, DialogThatRefusesToShowStaysHidden) {
    CTestDialog dialog(IDD_TEST_HIDDEN);
    dialog.refuseToShow = true;
    dialog.endWith = 5;
    EXPECT_EQ(dialog.DoModal(), 5);
    EXPECT_FALSE(dialog.visibleAtFirstKick);
}

TEST(DoModal, QuitInsideNestedLoopsKeepsItsCode) {
    CWinApp app(L"nested quit test");
    CTestDialog outer(IDD_TEST_HIDDEN);
    outer.nestLevels = 2;
    outer.quitInside = true;
    outer.quitCode = 18;
    EXPECT_EQ(outer.DoModal(), -1);
    EXPECT_EQ(outer.innerResult, -1);
    EXPECT_EQ(AfxGetCurrentMessage()->message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(app.ExitInstance(), 18);
    // The quit is still queued for the program's own loop.
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 18u);
    DrainQuit();
}
