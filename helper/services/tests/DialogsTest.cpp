// The information dialogs on the virtual display, run modally over a host window as the
// product runs them and driven by a script: About's texts, size and links; the shut-down
// countdown in both modes, the call to Windows, its failure and the pending-update quit; the
// feedback form's validation, its upload through the stand-in of "Network.dll" and the refusal;
// the after-install wizard's tasks with stand-in programs. Each dialog is photographed.
#include "DialogTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "DialogDrawing.h"
#include "DlgAbout.h"
#include "DlgAfterInstallWiz.h"
#include "DlgPelqFeedback.h"
#include "DlgShutDown.h"
#include "FeedbackTestSupport.h"
#include "GlobalUpdate.h"
#include "InfoDialogActions.h"
#include "PopupServices.h"
#include "AppState.h"
#include "IniReader.h"
#include "Paths.h"
#include "ProductIdentity.h"
#include "Registry.h"
#include "STBitmap.h"
#include "TestSupport.h"
#include "ToolsTable.h"

namespace {

const auto* const g_fonts = ::testing::AddGlobalTestEnvironment(new SharedFontsEnvironment);

// The system actions, recorded; Windows answers as the test says.
struct Recorded {
    static inline bool privilegeGranted = true;
    static inline BOOL exitAccepted = TRUE;
    static inline std::vector<std::pair<UINT, DWORD>> exits;
    static inline int webPages = 0;
    static inline int mails = 0;

    static bool Privilege() { return privilegeGranted; }
    static BOOL WINAPI Exit(UINT flags, DWORD reason) {
        exits.emplace_back(flags, reason);
        return exitAccepted;
    }
    static void WebPage() { ++webPages; }
    static void Mail() { ++mails; }
};
const InfoDialogActions kRecordedActions{&Recorded::Privilege, &Recorded::Exit, &Recorded::WebPage,
                                         &Recorded::Mail};

class InformationDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        Recorded::privilegeGranted = true;
        Recorded::exitAccepted = TRUE;
        Recorded::exits.clear();
        Recorded::webPages = Recorded::mails = 0;
        SetInfoDialogActions(&kRecordedActions);
        // As the application object sets it: the dialogs' captions and About's version line.
        g_strAppTitle = L"Stellmark Disk Tools";
    }
    void TearDown() override {
        SetInfoDialogActions(nullptr);
        g_strAppTitle.Empty();
    }

    HostWindow host_{RGB(240, 244, 250), 800, 600};
};

CString PelqText(LPCWSTR key) {
    return GetLangString(key, L"Pelq");
}

// ---- About ----

TEST_F(InformationDialogs, AboutShowsItsTextsAtItsOwnSizeAndOpensTheLinks) {
    CRect window;
    CString version, description, webLink, okText;
    int mailsWhileOpen = -1;
    ScriptDriver driver([&] {
        CDlgAbout* about = FindOpenDialog<CDlgAbout>();
        if (about == nullptr)
            return false;
        about->GetWindowRect(&window);
        version = about->m_strVersion;
        description = about->m_strDescription;
        webLink = about->m_webSiteLink.m_strCaption;
        okText = ControlText(about->m_hWnd, IDOK);
        EXPECT_TRUE(ShootWindow(about->m_hWnd, L"about.png"));
        Click(about->m_hWnd, 1457); // support: the box stays
        mailsWhileOpen = Recorded::mails;
        EXPECT_TRUE(::IsWindow(about->m_hWnd));
        Click(about->m_hWnd, 1017); // web site: opened, and the box closes
        return true;
    });
    ShowAboutDialog(&host_);
    ASSERT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(CDlgAbout::kWidth, window.Width());
    EXPECT_EQ(CDlgAbout::kHeight, window.Height());
    EXPECT_EQ(FillTextSlots(PelqText(L"IDS_PELQ_VERSION"),
                            {GetAppTitle(), GetHelperLibraryVersion(), GetOwnershipNotice()}),
              version);
    // The library's own version resource, in points.
    EXPECT_EQ(CString(L"3.0.0.0"), GetHelperLibraryVersion());
    EXPECT_NE(-1, version.Find(GetHelperLibraryVersion()));
    EXPECT_NE(-1, description.Find(GetProductName()));
    EXPECT_EQ(-1, description.Find(L"%s"));
    EXPECT_EQ(GetWebSiteAddress(), webLink);
    EXPECT_EQ(CString(L"OK"), okText);
    EXPECT_EQ(1, mailsWhileOpen);
    EXPECT_EQ(1, Recorded::webPages);
    EXPECT_EQ(1, Recorded::mails);
}

TEST(InformationTexts, ASlotValueIsNotReadAgain) {
    EXPECT_EQ(CString(L"a %s b 2 c"), FillTextSlots(L"a %s b %s c", {L"%s", L"2"}));
    EXPECT_EQ(CString(L"only 1"), FillTextSlots(L"only %s", {L"1", L"2"}));
    EXPECT_EQ(CString(L"x  y %s"), FillTextSlots(L"x %s y %s", {L""}));
    EXPECT_EQ(CString(L"100% sure"), FillTextSlots(L"100% sure", {L"1"}));
}

// ---- Shut-down ----

struct CountdownSeen {
    std::vector<CString> texts;
    CString sentence;
    bool cancelVisible = true;
};

// Sends the countdown's timer `ticks` times, keeping each countdown text.
void Tick(CDlgShutDown* dialog, int ticks, CountdownSeen& seen) {
    for (int i = 0; i < ticks; ++i) {
        dialog->SendMessageW(WM_TIMER, CDlgShutDown::kCountdownTimer);
        seen.texts.push_back(dialog->m_strCountdown);
    }
}

TEST_F(InformationDialogs, TheShutDownCountdownRunsFiveMinutesThenShutsWindowsDown) {
    CountdownSeen seen;
    std::vector<std::pair<UINT, DWORD>> exitsBeforeEnd;
    CString firstSentence;
    ScriptDriver driver([&] {
        CDlgShutDown* dialog = FindOpenDialog<CDlgShutDown>();
        if (dialog == nullptr)
            return false;
        // The test's ticks stand for the seconds: the dialog's own timer must not add any.
        dialog->KillTimer(CDlgShutDown::kCountdownTimer);
        seen.texts.push_back(dialog->m_strCountdown);
        firstSentence = dialog->m_strSentence;
        seen.cancelVisible = ::IsWindowVisible(::GetDlgItem(dialog->m_hWnd, IDCANCEL)) != FALSE;
        EXPECT_TRUE(ShootWindow(dialog->m_hWnd, L"shutdown.png"));
        Tick(dialog, 294, seen);
        exitsBeforeEnd = Recorded::exits;
        Tick(dialog, 1, seen);
        seen.sentence = dialog->m_strSentence;
        Tick(dialog, 1, seen);           // a late tick after the end does nothing more
        Click(dialog->m_hWnd, IDCANCEL); // Windows is going: the test closes the dialog
        return true;
    });
    ShowShutdownDialog(&host_, L"The defragmentation has finished.", 0, false);
    ASSERT_TRUE(driver.Finished());
    EXPECT_FALSE(driver.TimedOut());
    ASSERT_EQ(297u, seen.texts.size());
    EXPECT_EQ(CString(L"0 : 0"), seen.texts[296]);
    EXPECT_EQ(CString(L"4 : 59"), seen.texts[0]);
    EXPECT_EQ(CString(L"4 : 58"), seen.texts[1]);
    EXPECT_EQ(CString(L"4 : 1"), seen.texts[58]);
    EXPECT_EQ(CString(L"3 : 59"), seen.texts[59]);
    EXPECT_EQ(CString(L"0 : 1"), seen.texts[294]);
    EXPECT_EQ(CString(L"0 : 0"), seen.texts[295]);
    for (size_t i = 0; i < 295; ++i)
        EXPECT_NE(CString(L"0"), seen.texts[i].Mid(seen.texts[i].Find(L": ") + 2)) << i;
    EXPECT_TRUE(seen.cancelVisible);
    CString expected;
    expected.Format(PelqText(L"IDS_UR_PC_WILL_RBOT"), PelqText(L"IDS_SHTDOWN").GetString(), 5);
    EXPECT_EQ(expected, firstSentence);
    EXPECT_TRUE(exitsBeforeEnd.empty());
    ASSERT_EQ(1u, Recorded::exits.size());
    EXPECT_EQ(static_cast<UINT>(EWX_SHUTDOWN), Recorded::exits[0].first);
    EXPECT_EQ(16u, Recorded::exits[0].second);
    EXPECT_TRUE(seen.sentence.IsEmpty());
}

TEST_F(InformationDialogs, CancelEndsTheShutDownCountdownWithoutShuttingDown) {
    ScriptDriver driver([&] {
        CDlgShutDown* dialog = FindOpenDialog<CDlgShutDown>();
        if (dialog == nullptr)
            return false;
        Click(dialog->m_hWnd, IDCANCEL);
        return true;
    });
    ShowShutdownDialog(&host_, L"Done.", 0, false);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    EXPECT_TRUE(Recorded::exits.empty());
}

TEST_F(InformationDialogs, RestartModeCannotBeCancelledAndRestartsAtOnceOnRequest) {
    bool cancelShown = true, cancelEnabled = true, openAfterKeys = false;
    CString countdown, okText;
    ScriptDriver driver([&] {
        CDlgShutDown* dialog = FindOpenDialog<CDlgShutDown>();
        if (dialog == nullptr)
            return false;
        const HWND window = dialog->m_hWnd;
        countdown = dialog->m_strCountdown;
        okText = ControlText(window, IDOK);
        cancelShown = ::IsWindowVisible(::GetDlgItem(window, IDCANCEL)) != FALSE;
        cancelEnabled = ::IsWindowEnabled(::GetDlgItem(window, IDCANCEL)) != FALSE;
        EXPECT_TRUE(ShootWindow(window, L"restart.png"));
        Click(window, 1184);
        Click(window, IDCANCEL);
        ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0); // what Escape sends
        ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpFor(100);
        openAfterKeys = ::IsWindow(window) && FindOpenDialog<CDlgShutDown>() == dialog;
        Click(window, IDOK);
        dialog->SetResultAndClose(IDOK); // Windows restarts: the test closes the dialog
        return true;
    });
    ShowShutdownDialog(&host_, L"Done.", 0, true);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    EXPECT_EQ(CString(L"0 : 59"), countdown);
    EXPECT_EQ(PelqText(L"IDS_RSTART"), okText);
    EXPECT_FALSE(cancelShown);
    EXPECT_FALSE(cancelEnabled);
    EXPECT_TRUE(openAfterKeys);
    ASSERT_EQ(1u, Recorded::exits.size());
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), Recorded::exits[0].first);
}

TEST_F(InformationDialogs, ARefusedRestartIsToldAndTheDialogCanBeClosed) {
    Recorded::privilegeGranted = false;
    CountdownSeen seen;
    bool failed = false, closeShown = false, closeEnabled = false;
    CString closeText;
    ScriptDriver driver([&] {
        CDlgShutDown* dialog = FindOpenDialog<CDlgShutDown>();
        if (dialog == nullptr)
            return false;
        dialog->KillTimer(CDlgShutDown::kCountdownTimer);
        Tick(dialog, 59, seen);
        const HWND window = dialog->m_hWnd;
        failed = dialog->m_bFailed;
        closeShown = ::IsWindowVisible(::GetDlgItem(window, IDCANCEL)) != FALSE;
        closeEnabled = ::IsWindowEnabled(::GetDlgItem(window, IDCANCEL)) != FALSE;
        closeText = ControlText(window, IDCANCEL);
        EXPECT_TRUE(ShootWindow(window, L"restart_failed.png"));
        Click(window, 1184);
        return true;
    });
    ShowShutdownDialog(&host_, L"Done.", 0, true);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut()) << "the dialog must close after a failure";
    EXPECT_EQ(CString(L"0 : 0"), seen.texts.back());
    EXPECT_TRUE(failed);
    EXPECT_TRUE(closeShown);
    EXPECT_TRUE(closeEnabled);
    EXPECT_EQ(PelqText(L"IDS_CLOSE"), closeText);
    EXPECT_TRUE(Recorded::exits.empty()) << "no call without the privilege";
}

TEST_F(InformationDialogs, WindowsRefusingTheShutDownIsToldToo) {
    Recorded::exitAccepted = FALSE;
    bool failed = false;
    ScriptDriver driver([&] {
        CDlgShutDown* dialog = FindOpenDialog<CDlgShutDown>();
        if (dialog == nullptr)
            return false;
        Click(dialog->m_hWnd, IDOK);
        failed = dialog->m_bFailed;
        Click(dialog->m_hWnd, IDCANCEL);
        return true;
    });
    ShowShutdownDialog(&host_, L"Done.", 0, false);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    EXPECT_TRUE(failed);
    EXPECT_EQ(1u, Recorded::exits.size());
}

TEST_F(InformationDialogs, APendingWindowsUpdateQuitsWithCode18InsteadOfRestarting) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(0u, GetWindowsDirectoryW(windows, MAX_PATH));
    const std::wstring folder = std::wstring(windows) + L"\\winsxs";
    const std::wstring pending = folder + L"\\pending.xml";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(pending.c_str()))
        << "the prefix already holds a pending update";
    WriteBytes(pending, "<pending/>");
    ScriptDriver driver([&] {
        CDlgShutDown* dialog = FindOpenDialog<CDlgShutDown>();
        if (dialog == nullptr)
            return false;
        Click(dialog->m_hWnd, IDOK);
        return true;
    });
    ShowShutdownDialog(&host_, L"Done.", 0, true);
    DeleteFileW(pending.c_str());
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<WPARAM>(CDlgShutDown::kPendingUpdateExitCode), quit.wParam);
    EXPECT_EQ(18u, quit.wParam);
    EXPECT_TRUE(Recorded::exits.empty());
}

// ---- Feedback ----

// A pixel inside the publish consent's picture (on its tile, beside the glyph).
constexpr POINT kConsentSample{2, 9};

// The dialog is painted first: the screen holds only what was painted, and the first look may
// come before the dialog's first WM_PAINT.
COLORREF PublishPicturePixel(HWND dialog) {
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    CRect client;
    ::GetClientRect(dialog, &client);
    return ClientPixelOnScreen(dialog, kPublishPicture.x + kConsentSample.x,
                               client.bottom - kPublishPicture.y + kConsentSample.y);
}

COLORREF ConsentBitmapPixel(UINT id) {
    const CSTBitmap picture(id);
    return BitmapPixel(static_cast<HBITMAP>(picture.GetSafeHandle()), kConsentSample.x,
                       kConsentSample.y);
}

// The favourite-tools list as shown: each row's tool id and tip, and the tips' column title.
struct ToolList {
    std::vector<int> ids;
    std::vector<std::wstring> tips;
    std::wstring tipsTitle;
};

void ReadToolList(CListCtrl& list, ToolList& tools) {
    for (int row = 0; row < list.GetItemCount(); ++row) {
        tools.ids.push_back(static_cast<int>(list.GetItemData(row)));
        tools.tips.emplace_back(list.GetItemText(row, 3));
    }
    wchar_t title[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = 64;
    if (ListView_GetColumn(list.m_hWnd, 3, &column))
        tools.tipsTitle = title;
}

class FeedbackDialog : public InformationDialogs {
protected:
    void SetUp() override {
        InformationDialogs::SetUp();
        network_.Reset(LoadLibraryW(L"Network.dll"));
        ASSERT_TRUE(network_);
    }
    void TearDown() override {
        network_.Reset();
        InformationDialogs::TearDown();
    }

    static void Fill(CDlgPelqFeedback* dialog, LPCWSTR email, int type, LPCWSTR text) {
        dialog->m_email.SetWindowText(email);
        dialog->m_type.SetCurSel(type);
        dialog->m_text.SetWindowText(text);
    }

    LibraryModule network_;
};

TEST_F(FeedbackDialog, TheFormIsCheckedBeforeAnythingIsSent) {
    const NetworkStandIn standIn;
    ASSERT_TRUE(standIn.uploadCount);
    const int uploadsBefore = standIn.uploadCount();
    MessageBoxAnswers answers;
    bool enabledAfter = false, stillOpen = false;
    ScriptDriver driver([&] {
        CDlgPelqFeedback* dialog = FindOpenDialog<CDlgPelqFeedback>();
        if (dialog == nullptr)
            return false;
        const HWND window = dialog->m_hWnd;
        const struct {
            LPCWSTR email;
            int type;
            LPCWSTR text;
        } forms[] = {
            {L"", 1, L"x"},     {L"@example.com", 1, L"x"},  {L"user@", 1, L"x"},
            {L"user", 1, L"x"}, {L"u@example.com", 0, L"x"}, {L"u@example.com", 4, L"   "}};
        for (const auto& form : forms) {
            Fill(dialog, form.email, form.type, form.text);
            Click(window, 1001);
        }
        enabledAfter = ::IsWindowEnabled(window) && ::IsWindowEnabled(::GetDlgItem(window, 1001));
        stillOpen = FindOpenDialog<CDlgPelqFeedback>() == dialog;
        Click(window, IDCANCEL);
        return true;
    });
    ShowFeedbackDialog(&host_);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    const std::vector<CString> expected = {
        PelqText(L"IDS_FEEDBACK_MAILID"), PelqText(L"IDS_FEEDBACK_MAILID"),
        PelqText(L"IDS_FEEDBACK_MAILID"), PelqText(L"IDS_FEEDBACK_MAILID"),
        PelqText(L"IDS_FEEDBACk_TYPE"),   PelqText(L"IDS_EMPTY_FEEDBACK")};
    ASSERT_EQ(expected.size(), answers.Texts().size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NE(-1, answers.Texts()[i].Find(expected[i])) << i;
    EXPECT_TRUE(enabledAfter);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(uploadsBefore, standIn.uploadCount());
}

TEST_F(FeedbackDialog, AnAcceptedReportIsUploadedEncodedAndTheUserThanked) {
    const NetworkStandIn standIn;
    standIn.setAnswer(1);
    const int uploadsBefore = standIn.uploadCount();
    MessageBoxAnswers answers;
    CString status, statusWhileSending;
    int checkedTool = -1;
    COLORREF publishPicture[2] = {};
    ToolList tools;
    ScriptDriver driver([&] {
        CDlgPelqFeedback* dialog = FindOpenDialog<CDlgPelqFeedback>();
        if (dialog == nullptr)
            return false;
        Fill(dialog, L"ann@example.com", 4, L"  Fast & tidy <3  ");
        publishPicture[0] = PublishPicturePixel(dialog->m_hWnd);
        dialog->m_publishBox.SetCheck(BST_CHECKED);
        Click(dialog->m_hWnd, 1215);
        publishPicture[1] = PublishPicturePixel(dialog->m_hWnd);
        CRect row;
        dialog->m_tools.GetItemRect(1, &row, LVIR_BOUNDS);
        dialog->m_tools.ToggleCheckAt(row.top + 2);
        checkedTool =
            dialog->m_tools.GetCheck(1) ? static_cast<int>(dialog->m_tools.GetItemData(1)) : -1;
        ReadToolList(dialog->m_tools, tools);
        EXPECT_TRUE(ShootWindow(dialog->m_hWnd, L"feedback.png"));
        Click(dialog->m_hWnd, 1001);
        statusWhileSending = dialog->m_strStatus;
        return true;
    });
    ShowFeedbackDialog(&host_);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    // The consent's picture follows the box: not given, then given.
    EXPECT_EQ(publishPicture[0], ConsentBitmapPixel(1046));
    EXPECT_EQ(publishPicture[1], ConsentBitmapPixel(1041));
    EXPECT_NE(publishPicture[0], publishPicture[1]);
    // The tools list: each of the maker's tools once, with its tip in the "Tips" column.
    EXPECT_EQ(tools.tipsTitle, L"Tips");
    ASSERT_EQ(tools.ids.size(), CDlgPelqFeedback::ListedToolIds().size());
    EXPECT_EQ(tools.ids, CDlgPelqFeedback::ListedToolIds());
    EXPECT_LT(tools.ids.size(), std::size(CDlgPelqFeedback::kToolIds)) << "a repeated title";
    std::set<std::wstring> titles;
    for (size_t row = 0; row < tools.ids.size(); ++row) {
        const std::wstring title = GetToolTitle(tools.ids[row]);
        EXPECT_TRUE(titles.insert(title).second) << "listed twice: " << Narrow(title.c_str());
        EXPECT_EQ(tools.tips[row], std::wstring(GetToolCaption(tools.ids[row]))) << row;
    }
    EXPECT_EQ(titles.count(L"Stellmark"), 1u);
    EXPECT_EQ(tools.ids.front(), 0) << "the product under its first id";
    EXPECT_EQ(PelqText(L"IDS_FEEDBACK_UPLOAD"), statusWhileSending);
    ASSERT_EQ(1u, answers.Texts().size()) << "the outcome is told once";
    EXPECT_NE(-1, answers.Texts()[0].Find(L"Thank you for providing us the feedback"));
    ASSERT_EQ(uploadsBefore + 1, standIn.uploadCount());
    const CString payload = standIn.Last(0);
    const CString xml = DecodeCipherText(payload.Mid(32));
    EXPECT_EQ(32 + 4 * xml.GetLength(), payload.GetLength());
    EXPECT_NE(-1, xml.Find(L"<email>ann@example.com</email>")) << Narrow(xml);
    EXPECT_NE(-1, xml.Find(L"<feedback_type>General Feedback</feedback_type>"));
    EXPECT_NE(-1, xml.Find(L"<content>Fast &amp; tidy &lt;3</content>")) << Narrow(xml);
    EXPECT_NE(-1, xml.Find(L"<allowed>1</allowed>"));
    ASSERT_NE(-1, checkedTool);
    CString appId;
    appId.Format(L"<appid>%d</appid>", checkedTool);
    EXPECT_NE(-1, xml.Find(appId)) << Narrow(xml);
    EXPECT_NE(-1, xml.Find(L"<mac_id>"));
    const CString fileName = standIn.Last(1);
    EXPECT_EQ(0, fileName.Find(GetProductShortName() + L"-Feedback "));
    EXPECT_EQ(fileName.GetLength() - 4, fileName.Find(L".xml"));
}

TEST_F(FeedbackDialog, ARefusedReportTellsTheFailure) {
    const NetworkStandIn standIn;
    standIn.setAnswer(0);
    MessageBoxAnswers answers;
    ScriptDriver driver([&] {
        CDlgPelqFeedback* dialog = FindOpenDialog<CDlgPelqFeedback>();
        if (dialog == nullptr)
            return false;
        Fill(dialog, L"ann@example.com", 1, L"It works.");
        Click(dialog->m_hWnd, 1001);
        return true;
    });
    ShowFeedbackDialog(&host_);
    standIn.setAnswer(1);
    EXPECT_TRUE(driver.Finished() && !driver.TimedOut());
    ASSERT_EQ(1u, answers.Texts().size());
    EXPECT_NE(-1, answers.Texts()[0].Find(PelqText(L"IDS_FEEDBACK_FAILED")));
}

// ---- After-install wizard ----

class AfterInstallWizard : public InformationDialogs {
protected:
    void SetUp() override {
        InformationDialogs::SetUp();
        SetEnvironmentVariableW(L"XARN_STANDIN_LOG", log_.c_str());
        SetEnvironmentVariableW(L"XARN_BACKUP_STANDIN_FAIL", nullptr);
        RegDeleteKeyW(HKEY_CURRENT_USER,
                      (CString(GetProductRegistryKey()) + L"\\OneClickCure\\SysFileBackup"));
        ASSERT_TRUE(
            RegWriteDwordAt(HKEY_CURRENT_USER, GetProductRegistryKey(), L"SysBackupSuccess", 0));
        GetCurrentDirectoryW(MAX_PATH, directory_);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"XARN_STANDIN_LOG", nullptr);
        SetEnvironmentVariableW(L"XARN_BACKUP_STANDIN_FAIL", nullptr);
        SetCurrentDirectoryW(directory_);
        InformationDialogs::TearDown();
    }

    // Runs the wizard to its end; the lines the stand-ins recorded.
    std::vector<std::string> RunWizard(int& result, bool shoot) {
        CDlgAfterInstallWiz wizard(&host_);
        bool shotRunning = false;
        ScriptDriver driver([&] {
            CDlgAfterInstallWiz* open = FindOpenDialog<CDlgAfterInstallWiz>();
            if (open == nullptr)
                return false;
            // Neither key ends it.
            ::PostMessageW(open->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
            ::PostMessageW(open->m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
            if (shoot && !shotRunning)
                shotRunning = ShootWindow(open->m_hWnd, L"after_install.png");
            // Once the first task is done, if the window is still there to be seen.
            if (shoot && open->m_bBackupDone)
                static_cast<void>(ShootWindow(open->m_hWnd, L"after_install_done.png"));
            return !shoot || open->m_bBackupDone;
        });
        result = RunPopupOverParent(&host_, &wizard, CDlgAfterInstallWiz::kTemplate);
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_EQ(shoot, shotRunning);
        // The scheduler is started without a wait: give it a bounded moment to record.
        std::vector<std::string> lines;
        for (int round = 0; round < 100; ++round) {
            lines.clear();
            std::istringstream file(ReadBytes(log_));
            for (std::string line; std::getline(file, line);)
                lines.push_back(line);
            if (lines.size() >= 2)
                break;
            Sleep(50);
        }
        return lines;
    }

    TempFolder folder_;
    std::wstring log_ = folder_ / L"standins.log";
    wchar_t directory_[MAX_PATH] = {};
};

bool HasLine(const std::vector<std::string>& lines, const char* program, const char* argument) {
    for (const std::string& line : lines)
        if (line.rfind(program, 0) == 0 && line.find(argument) != std::string::npos)
            return true;
    return false;
}

TEST_F(AfterInstallWizard, ItsTasksRunAndItClosesByItself) {
    int result = 0;
    const ULONGLONG start = GetTickCount64();
    const std::vector<std::string> lines = RunWizard(result, true);
    EXPECT_EQ(IDOK, result) << "closed by itself, not by a key";
    EXPECT_LT(GetTickCount64() - start, 30000u);
    EXPECT_TRUE(HasLine(lines, "backup", "runhiddenScan"));
    EXPECT_TRUE(HasLine(lines, "scheduler", "-pelqservice"));
    EXPECT_TRUE(CDlgAfterInstallWiz::ReadCleanFinished());
    EXPECT_TRUE(CDlgAfterInstallWiz::ReadBackupSuccess());
}

TEST_F(AfterInstallWizard, AFailedBackupScanCountsAsNotFinishedAndTheRestStillRuns) {
    // A former clean finish must not count for this run.
    ASSERT_TRUE(RegWriteDwordAt(HKEY_CURRENT_USER,
                                CString(GetProductRegistryKey()) + L"\\OneClickCure\\SysFileBackup",
                                L"CLEANFINISHED", 1));
    SetEnvironmentVariableW(L"XARN_BACKUP_STANDIN_FAIL", L"1");
    int result = 0;
    const std::vector<std::string> lines = RunWizard(result, false);
    EXPECT_EQ(IDOK, result);
    EXPECT_TRUE(HasLine(lines, "backup", "runhiddenScan"));
    EXPECT_TRUE(HasLine(lines, "scheduler", "-pelqservice"));
    EXPECT_FALSE(CDlgAfterInstallWiz::ReadCleanFinished());
    EXPECT_TRUE(CDlgAfterInstallWiz::ReadBackupSuccess());
}

TEST_F(AfterInstallWizard, AMissingProgramIsNotRun) {
    CDlgAfterInstallWiz wizard(nullptr);
    EXPECT_EQ(0, wizard.RunAndWait(L"NoSuchProgram.exe", L""));
    EXPECT_EQ(1, wizard.RunAndWait(CDlgAfterInstallWiz::kSchedulerProgram, L"-probe"));
}

TEST(AfterInstallTexts, EveryStepHasItsTexts) {
    const CDlgAfterInstallWiz wizard(nullptr);
    for (int step = 0; step < CDlgAfterInstallWiz::kStepCount; ++step) {
        EXPECT_FALSE(wizard.m_strHeadings[step].IsEmpty()) << step;
        EXPECT_FALSE(wizard.m_strDescriptions[step].IsEmpty()) << step;
        EXPECT_EQ(-1, wizard.m_strDescriptions[step].Find(L"%s")) << step;
        EXPECT_FALSE(wizard.m_strStatus[step].IsEmpty()) << step;
    }
    EXPECT_NE(-1, wizard.m_strDescriptions[2].Find(L"Stellmark"));
    EXPECT_NE(-1, wizard.m_strTexts[0].Find(L"Stellmark"));
}

} // namespace
