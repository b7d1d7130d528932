// The application class inside one process: instance mutex, switches, hand-off message,
// the default font record and what InitInstance leaves behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <clocale>
#include <cwchar>

#include <classlib/Classlib.h>

#include "AppState.h"
#include "SharedGlobals.h"
#include "SingleInstance.h"
#include "SystemInfo.h"
#include "UiFonts.h"
#include "VantorixApp.h"

namespace {

// Exposes what the tests look at; one application object exists at a time.
class TestApp : public CVantorixApp {
public:
    TestApp(LPCWSTR title, LPCWSTR arguments = L"") : CVantorixApp(title, L"pelq.ini") {
        arguments_ = arguments;
        m_lpCmdLine = arguments_.GetBuffer();
    }
    bool HasSettings() const { return m_pSettings != nullptr; }
    bool HasLanguageReader() const { return m_pLangReader != nullptr; }
    const CString& Section() const { return m_strLangSection; }

private:
    CString arguments_;
};

CString UniqueTitle(LPCWSTR what) {
    static int serial = 0;
    CString title;
    title.Format(L"AppTest %s %lu-%d", what, GetCurrentProcessId(), ++serial);
    return title;
}

void ResetSwitches() {
    g_bScheduleSwitch = g_bAutoFixSwitch = g_bShutdownSwitch = 0;
    g_bLogEnabled = 0;
    g_bActivateRunningInstance = 1;
}

TEST(InstanceMutex, NameCarriesTheTitle) {
    TestApp app(L"Stellmark");
    EXPECT_STREQ(app.GetInstanceMutexName(),
                 L"Xarn_Stellmark_24BF8EAB-03C7-4e3c-B10F-1D1F7C0297CB");
    EXPECT_STREQ(GetAppTitle(), L"Stellmark");
    EXPECT_EQ(app.Section(), L"Pelq");
    EXPECT_TRUE(app.HasLanguageReader());
    EXPECT_EQ(g_bShowHeaderButtons, 1);
    EXPECT_EQ(CVantorixApp::strCurLangPath, L"English");
}

TEST(Construction, BareObjectIsCreatableAtRunTimeAndHasNoMutexName) {
    CObject* object = RUNTIME_CLASS(CVantorixApp)->CreateObject();
    ASSERT_NE(object, nullptr);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CWinAppEx)));
    EXPECT_TRUE(static_cast<CVantorixApp*>(object)->GetInstanceMutexName().IsEmpty());
    delete object;
    CVantorixApp* made = CreateVantorixApp();
    EXPECT_STREQ(made->GetRuntimeClass()->m_lpszClassName, "CVantorixApp");
    delete made;
}

TEST(Construction, AdministratorStateUnderWine) {
    // Wine's user is in the administrators group with its rights in effect.
    EXPECT_TRUE(IsUserInAdminGroup());
    TestApp app(L"Admin");
    EXPECT_EQ(g_nAdminState, 1);
    // From Vista on a lower-integrity sender may be allowed the hand-off message.
    EXPECT_TRUE(AllowWindowMessage(g_msgSchedulerHandOff, MSGFLT_ADD));
}

TEST(InstanceMutex, FirstTestCreatesTheMutexAndKeepsItOpen) {
    TestApp app(UniqueTitle(L"mutex"));
    EXPECT_FALSE(IsAnotherInstanceRunning(&app));
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, app.GetInstanceMutexName());
    ASSERT_NE(mutex, nullptr);
    // Released: anyone may own it now.
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    EXPECT_TRUE(IsAnotherInstanceRunning(&app));
}

TEST(InstanceMutex, ReleasedMutexLetsTheNextInstanceStart) {
    TestApp app(UniqueTitle(L"release"));
    EXPECT_FALSE(IsAnotherInstanceRunning(&app));
    // A second test keeps the name alive through its own handle, as a second start would.
    EXPECT_TRUE(IsAnotherInstanceRunning(&app));
    ReleaseInstanceMutex();
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, app.GetInstanceMutexName());
    EXPECT_EQ(mutex, nullptr);
    if (mutex != nullptr)
        CloseHandle(mutex);
    EXPECT_FALSE(IsAnotherInstanceRunning(&app));
    ReleaseInstanceMutex();
    ReleaseInstanceMutex();
}

TEST(InstanceMutex, MutexThatMayNotBeOpenedCountsAsRunning) {
    TestApp app(UniqueTitle(L"denied"));
    // An empty access list lets nobody open the mutex.
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL acl;
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    HANDLE held = CreateMutexW(&attributes, FALSE, app.GetInstanceMutexName());
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(IsAnotherInstanceRunning(&app));
    CloseHandle(held);
}

struct SwitchCase {
    const wchar_t* arguments;
    BYTE schedule, autoFix, shutdown;
};

class Switches : public testing::TestWithParam<SwitchCase> {};

TEST_P(Switches, StrongestSwitchWins) {
    ResetSwitches();
    TestApp app(L"Switches", GetParam().arguments);
    ParseCommandLineSwitches(&app);
    EXPECT_EQ(g_bScheduleSwitch, GetParam().schedule);
    EXPECT_EQ(g_bAutoFixSwitch, GetParam().autoFix);
    EXPECT_EQ(g_bShutdownSwitch, GetParam().shutdown);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Switches,
    testing::Values(SwitchCase{L"", 0, 0, 0}, SwitchCase{L"-schedule C: D:", 1, 0, 0},
                    SwitchCase{L"schedule C:", 1, 0, 0}, // a first argument without '-'
                    SwitchCase{L"-autofix -schedule", 1, 1, 0},
                    SwitchCase{L"-schedule -autofix /Shutdown", 1, 1, 1},
                    SwitchCase{L"C: /Shutdown", 1, 1, 1}, SwitchCase{L"-rescheduled", 0, 0, 0},
                    SwitchCase{L"-log", 0, 0, 0}));

// A dialog-class window with the application's title that records the hand-off it receives.
class RunningDialog {
public:
    explicit RunningDialog(const CString& title) {
        window_ = CreateWindowExW(0, L"#32770", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure)));
    }
    ~RunningDialog() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }
    int Received() const { return received_; }
    const CString& Command() const { return command_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<RunningDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == g_msgSchedulerHandOff) {
            ++self->received_;
            wchar_t text[64] = {};
            GlobalGetAtomNameW(static_cast<ATOM>(lParam), text, 64);
            self->command_ = text;
            return 0;
        }
        return CallWindowProcW(self->previous_, window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    int received_ = 0;
    CString command_;
};

TEST(HandOff, WithoutRunningWindowTheStartGoesOn) {
    ResetSwitches();
    TestApp app(UniqueTitle(L"nowindow"));
    g_bScheduleSwitch = 1;
    EXPECT_TRUE(ForwardCommandToRunningInstance(&app));
}

TEST(HandOff, StrongestSwitchReachesTheRunningDialogAsAnAtomName) {
    ResetSwitches();
    TestApp app(UniqueTitle(L"send"), L"-schedule -autofix");
    RunningDialog running(GetAppTitle());
    ASSERT_NE(running.Handle(), nullptr);
    ParseCommandLineSwitches(&app);
    EXPECT_FALSE(ForwardCommandToRunningInstance(&app));
    EXPECT_EQ(running.Received(), 1);
    EXPECT_EQ(running.Command(), L"autofix");
    EXPECT_EQ(GlobalFindAtomW(L"autofix"), 0); // deleted once the message returned
}

TEST(HandOff, NothingIsSentWithoutSwitches) {
    ResetSwitches();
    TestApp app(UniqueTitle(L"none"));
    RunningDialog running(GetAppTitle());
    EXPECT_TRUE(ForwardCommandToRunningInstance(&app));
    EXPECT_EQ(running.Received(), 0);
}

TEST(DefaultLogFont, CarriesTheUiFontAndNeverOverrunsTheFaceField) {
    const CString face = GetUIFontFace();
    const int height = GetUIFontHeight();
    SetUIFontFace(false, L"An Extraordinarily Long Font Face Name Beyond Thirty-Two");
    SetUIFontHeight(-17);
    SetUICharset(DEFAULT_CHARSET);
    struct {
        LOGFONTW font;
        DWORD guard;
    } record;
    memset(&record, 0xCC, sizeof record);
    GetDefaultLogFont(&record.font);
    EXPECT_EQ(record.guard, 0xCCCCCCCCu);
    EXPECT_EQ(record.font.lfHeight, -17);
    EXPECT_EQ(record.font.lfWeight, FW_NORMAL);
    EXPECT_EQ(record.font.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(record.font.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(record.font.lfWidth, 0);
    EXPECT_EQ(wcslen(record.font.lfFaceName), size_t{LF_FACESIZE - 1});
    EXPECT_EQ(wcsncmp(record.font.lfFaceName, L"An Extraordinarily", 18), 0);
    SetUIFontFace(false, face);
    SetUIFontHeight(height);
    SetUICharset(0);
}

TEST(InitInstance, FirstStartSetsUpEverything) {
    ResetSwitches();
    const CString title = UniqueTitle(L"init");
    TestApp app(title, L"-LOG");
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(g_bLogEnabled, 1);
    EXPECT_EQ(g_bAnotherInstanceRunning, 0);
    EXPECT_TRUE(app.HasSettings());
    EXPECT_NE(g_hAppIcon, nullptr); // from the resource library, through the extension module
    EXPECT_EQ(CString(app.m_pszRegistryKey), L"Halvenor\\Xarn\\" + title);
    EXPECT_EQ(CString(app.GetRegistryBase()), title);
    EXPECT_EQ(app.GetTooltipManager()->GetTooltipTypes(), 0xFFFFu);
    EXPECT_NE(static_cast<HFONT>(g_fontUI), nullptr);
    EXPECT_NE(static_cast<HFONT>(g_fontTitleBold), nullptr);
    EXPECT_NE(wcsstr(_wsetlocale(LC_ALL, nullptr), L"English"), nullptr);
    EXPECT_EQ(AfxOleGetMessageFilter()->m_nTimeout, 8192u);
    EXPECT_FALSE(AfxOleGetMessageFilter()->m_bEnableBusy);
    EXPECT_FALSE(AfxOleGetMessageFilter()->m_bEnableNotResponding);
}

TEST(InitInstance, SecondPlainStartShowsTheRunningWindowAndRefuses) {
    ResetSwitches();
    const CString title = UniqueTitle(L"again");
    TestApp first(title);
    ASSERT_TRUE(first.InitInstance());
    RunningDialog running(title);
    ShowWindow(running.Handle(), SW_MINIMIZE);
    {
        TestApp second(title);
        EXPECT_FALSE(second.InitInstance());
        EXPECT_FALSE(second.HasSettings());
    }
    EXPECT_EQ(g_bAnotherInstanceRunning, 1);
    EXPECT_FALSE(IsIconic(running.Handle()));
    EXPECT_TRUE(IsWindowVisible(running.Handle()));
    EXPECT_EQ(running.Received(), 0);
}

TEST(InitInstance, ScheduledSecondStartHandsOverAndQuits) {
    ResetSwitches();
    const CString title = UniqueTitle(L"quit");
    TestApp first(title);
    ASSERT_TRUE(first.InitInstance());
    RunningDialog running(title);
    {
        TestApp second(title, L"-schedule");
        EXPECT_FALSE(second.InitInstance());
    }
    EXPECT_EQ(g_bActivateRunningInstance, 0);
    EXPECT_EQ(running.Command(), L"schedulescan");
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

} // namespace
