// The schedule page as a user drives it: each mode applied and read back from the Task
// Scheduler, the refusals with their messages, and a Task Scheduler that fails.
#include "DlgScheduler.h"
#include "PagesTestSupport.h"
#include "ResultsPagesResource.h"
#include "ScheduleManager.h"
#include "SchedulePageServices.h"
#include "StoredTask.h"

#include <DlgBaseMessageBoxWndBase.h>
#include <PopupServices.h>
#include <AppLocations.h>
#include <Paths.h>
#include <Registry.h>
#include <owners/WinOwners.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace stored_task;

namespace {

// The page's services as the tests give them: drives listed, heading and service starts kept.
class FakeScheduleServices : public SchedulePageServices {
public:
    void GetDriveEntries(CStringArray& entries) override {
        for (const CString& drive : drives)
            entries.Add(drive);
    }
    void SetMainHeading(const CString& heading) override { this->heading = heading; }
    void StartTaskSchedulerService() override { ++serviceStarts; }

    std::vector<CString> drives;
    CString heading;
    int serviceStarts = 0;
};

struct ShownBox {
    std::wstring text;
    UINT icon = 0;
};
std::vector<ShownBox> g_boxes;

// Records each message box and answers it with OK once its loop runs.
void AnswerOk(CDlgBaseMessageBoxWndBase* box) {
    g_boxes.push_back({box->m_strMessage.GetString(), box->m_nMessageIconId});
    box->PostMessageW(WM_COMMAND, IDOK);
}

std::wstring ScheduleValue(const wchar_t* task) {
    CString path = GetAppRegistryKey();
    AppendPath(path, L"Schedule");
    CRegistry key(HKEY_CURRENT_USER);
    key.SetAccess(KEY_READ);
    CString text;
    if (!key.Open(HKEY_CURRENT_USER, path, false) || !key.ReadString(task, text))
        return L"<missing>";
    return text.GetString();
}

class SchedulePageTest : public ::testing::Test {
protected:
    void SetUp() override {
        MissingTexts().clear();
        g_boxes.clear();
        SetMessageBoxAnswerHook(&AnswerOk);
        RemoveTasks();
        services_.drives = {L"(C:) System (System drive)", L"(D:)Data"};
        page_ = std::make_unique<CDlgScheduler>(&host_, services_);
        ASSERT_TRUE(page_->Create(IDD_DLG_SCHEDULER, &host_));
        page_->MoveWindow(10, 10, 591, 473);
        page_->ShowWindow(SW_SHOW);
        child_ = page_->Child();
        ASSERT_NE(nullptr, child_);
    }
    void TearDown() override {
        if (page_ && page_->GetSafeHwnd() != nullptr)
            page_->DestroyWindow();
        page_.reset();
        SetMessageBoxAnswerHook(nullptr);
        RemoveTasks();
        for (const std::wstring& missing : MissingTexts())
            ADD_FAILURE() << "text missing: " << missing;
    }
    void RemoveTasks() {
        (void)manager_.DeleteTask(kOptimizeTaskName);
        (void)manager_.DeleteTask(kCleanTaskName);
    }

    void Click(int id) {
        ::SendMessageW(::GetDlgItem(child_->m_hWnd, id), BM_CLICK, 0, 0);
        PumpFor(30);
    }
    void Apply() {
        child_->m_btnApply.SendMessageW(BM_CLICK);
        PumpFor(100);
    }
    bool Checked(int id) const { return child_->IsDlgButtonChecked(id) == BST_CHECKED; }
    bool Visible(int id) const { return ::IsWindowVisible(::GetDlgItem(child_->m_hWnd, id)); }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(child_->m_hWnd, id)); }
    void SelectDrive(int index) {
        child_->SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_SETCURSEL, index);
        child_->SendMessageW(
            WM_COMMAND, MAKEWPARAM(IDC_CMB_SCHEDULE_DRIVE, CBN_SELCHANGE),
            reinterpret_cast<LPARAM>(::GetDlgItem(child_->m_hWnd, IDC_CMB_SCHEDULE_DRIVE)));
    }
    CString SelectedDriveEntry() const {
        const LRESULT index = child_->SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_GETCURSEL);
        wchar_t text[MAX_PATH] = L"";
        child_->SendDlgItemMessage(IDC_CMB_SCHEDULE_DRIVE, CB_GETLBTEXT, index,
                                   reinterpret_cast<LPARAM>(text));
        return text;
    }
    void SetPicker(int id, const SYSTEMTIME& time) {
        child_->SendDlgItemMessage(id, DTM_SETSYSTEMTIME, GDT_VALID,
                                   reinterpret_cast<LPARAM>(&time));
        NMDATETIMECHANGE change{};
        change.nmhdr.hwndFrom = ::GetDlgItem(child_->m_hWnd, id);
        change.nmhdr.idFrom = id;
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.st = time;
        child_->SendMessageW(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&change));
    }
    static SYSTEMTIME Today(int dayOffset, WORD hour, WORD minute) {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        FILETIME file{};
        ::SystemTimeToFileTime(&now, &file);
        ULARGE_INTEGER value{{file.dwLowDateTime, file.dwHighDateTime}};
        value.QuadPart += static_cast<LONGLONG>(dayOffset) * 24 * 3600 * 10000000LL;
        file = {value.LowPart, value.HighPart};
        SYSTEMTIME moved{};
        ::FileTimeToSystemTime(&file, &moved);
        moved.wHour = hour;
        moved.wMinute = minute;
        moved.wSecond = 0;
        moved.wMilliseconds = 0;
        return moved;
    }
    std::wstring ExpectedProgram() {
        CString path = services_.ProgramFolder();
        AppendPath(path, L"Xarn.exe");
        return path.GetString();
    }

    CScheduleManager manager_;
    HostWindow host_{RGB(255, 255, 255), 620, 500};
    FakeScheduleServices services_;
    std::unique_ptr<CDlgScheduler> page_;
    CDlgScheduleChild* child_ = nullptr;
};

} // namespace

TEST_F(SchedulePageTest, OptimiseWeeklyAppliedAsTheUserChoseAndReadBack) {
    EXPECT_EQ(1, services_.serviceStarts);
    EXPECT_STREQ(L"Scheduler Defragment", services_.heading);
    EXPECT_EQ(ScheduleMode::kNotScheduled, child_->Mode());
    EXPECT_TRUE(Checked(IDC_RD_DONTSCHEDULE));
    EXPECT_FALSE(Enabled(IDC_DTP_TIME));
    EXPECT_STREQ(L"(C:) System (System drive)", SelectedDriveEntry());
    EXPECT_FALSE(Visible(IDC_CHK_FIXERR_AUTO));
    EXPECT_TRUE(Visible(IDC_CMB_SCHEDULE_DRIVE));
    EXPECT_FALSE(child_->m_btnApply.IsWindowEnabled());
    EXPECT_EQ(L"Not scheduled", ScheduleValue(kOptimizeTaskName));

    SelectDrive(1);
    EXPECT_TRUE(child_->m_btnApply.IsWindowEnabled());
    Click(IDC_RD_EVERYWEEK);
    EXPECT_TRUE(Enabled(IDC_CHK_MONDAY));
    EXPECT_FALSE(Enabled(IDC_DTP_DATE));
    SetPicker(IDC_DTP_TIME, Today(0, 14, 30));

    // Weekly without a day: refused with its text, nothing written.
    Apply();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(L"Choose at least one day of the week for a weekly schedule.", g_boxes[0].text);
    EXPECT_FALSE(manager_.TaskExists(kOptimizeTaskName));

    Click(IDC_CHK_MONDAY);
    Click(IDC_CHK_FRIDAY);
    Apply();
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(L"Your settings have been saved.", g_boxes[1].text);
    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(ExpectedProgram(), stored.application);
    EXPECT_EQ(L"-schedule -D", stored.parameters);
    EXPECT_EQ(std::wstring(services_.ProgramFolder().GetString()), stored.workingFolder);
    EXPECT_EQ(L"Xarn-Optimize", stored.comment);
    EXPECT_EQ(static_cast<DWORD>(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON), stored.flags);
    EXPECT_EQ(1, stored.triggerCount);
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, stored.trigger.TriggerType);
    EXPECT_EQ(TASK_MONDAY | TASK_FRIDAY, stored.trigger.Type.Weekly.rgfDaysOfTheWeek);
    EXPECT_EQ(1, stored.trigger.Type.Weekly.WeeksInterval);
    EXPECT_EQ(14, stored.trigger.wStartHour);
    EXPECT_EQ(30, stored.trigger.wStartMinute);

    // The page reads the task back: mode, days, time and the next run.
    EXPECT_EQ(ScheduleMode::kWeekly, child_->Mode());
    EXPECT_TRUE(Checked(IDC_CHK_MONDAY));
    EXPECT_TRUE(Checked(IDC_CHK_FRIDAY));
    EXPECT_FALSE(Checked(IDC_CHK_SUNDAY));
    SYSTEMTIME time{};
    child_->SendDlgItemMessage(IDC_DTP_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    EXPECT_EQ(14, time.wHour);
    EXPECT_EQ(30, time.wMinute);
    EXPECT_FALSE(child_->m_btnApply.IsWindowEnabled());
    EXPECT_EQ(std::wstring(child_->NextRunText().GetString()), ScheduleValue(kOptimizeTaskName));
    if (child_->IsScheduled()) {
        EXPECT_NE(-1, child_->NextRunText().Find(L" hours"));
    }
    ASSERT_TRUE(PhotographWindow(page_->m_hWnd, L"schedule_optimize.png"));

    // The refresh keeps the task's drive selected, and so does a switch to the clean task and
    // back: Apply again changes what the user changed, never the drive behind the user's back.
    EXPECT_STREQ(L"(D:)Data", SelectedDriveEntry());
    Click(IDC_TABBTN_CLEAN);
    Click(IDC_TABBTN_OPTIMIZE);
    EXPECT_STREQ(L"(D:)Data", SelectedDriveEntry());
    Click(IDC_RD_EVERYDAY);
    Click(IDC_CHK_SYSREBOOT_AFTER_FIX);
    Apply();
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(L" -shutdown -D", stored.parameters);
    EXPECT_STREQ(L"(D:)Data", SelectedDriveEntry()) << "a shut-down run's drive read back";
    EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, stored.trigger.TriggerType);
    EXPECT_EQ(1, stored.trigger.Type.Daily.DaysInterval);
    EXPECT_EQ(1, stored.triggerCount);
    EXPECT_TRUE(Checked(IDC_CHK_SYSREBOOT_AFTER_FIX));
    EXPECT_EQ(ScheduleMode::kDaily, child_->Mode());
}

TEST_F(SchedulePageTest, RunOnceInThePastIsRefusedAndNotScheduledRemovesTheTask) {
    Click(IDC_RD_RUNONCE);
    EXPECT_TRUE(Enabled(IDC_DTP_DATE));
    const SYSTEMTIME tomorrow = Today(1, 9, 15);
    SetPicker(IDC_DTP_DATE, tomorrow);
    SetPicker(IDC_DTP_TIME, tomorrow);
    Apply();
    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(TASK_TIME_TRIGGER_ONCE, stored.trigger.TriggerType);
    EXPECT_EQ(tomorrow.wDay, stored.trigger.wBeginDay);
    EXPECT_EQ(9, stored.trigger.wStartHour);
    EXPECT_EQ(ScheduleMode::kOnce, child_->Mode());

    // Yesterday: refused with its text; the stored task keeps tomorrow's run.
    const SYSTEMTIME yesterday = Today(-1, 9, 15);
    SetPicker(IDC_DTP_DATE, yesterday);
    Apply();
    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(L"The chosen date and time have already passed. Choose a later time.",
              g_boxes[1].text);
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(tomorrow.wDay, stored.trigger.wBeginDay);
    EXPECT_EQ(1, stored.triggerCount);

    Click(IDC_RD_DONTSCHEDULE);
    EXPECT_FALSE(Enabled(IDC_DTP_TIME));
    Apply();
    ASSERT_EQ(3u, g_boxes.size());
    EXPECT_EQ(L"Your settings have been saved.", g_boxes[2].text);
    EXPECT_FALSE(manager_.TaskExists(kOptimizeTaskName));
    EXPECT_EQ(L"Not scheduled", ScheduleValue(kOptimizeTaskName));
    EXPECT_FALSE(child_->IsScheduled());
}

// The chosen task's button is drawn pushed (the strip's current-tab frame), the other one not:
// which task the page shows can be seen at a glance.
TEST_F(SchedulePageTest, TaskButtonsShowWhichTaskIsChosen) {
    const CRect optimise(55, 75, 138, 95);
    const CRect clean(175, 75, 258, 95);
    // The pushed frame's fill, from the strip itself (frame 1 of four, 84 pixels each).
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(1463));
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    CBitmap* kept = memory.SelectObject(&strip);
    const COLORREF pushed = ::GetPixel(memory.m_hDC, 84 + 42, 12);
    memory.SelectObject(kept);
    auto pushedPixels = [&](const CRect& button) {
        child_->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpFor(100);
        CRect inside = button;
        inside.DeflateRect(3, 3);
        return WindowPixels(child_->m_hWnd).CountNear(pushed, inside);
    };
    EXPECT_GT(pushedPixels(optimise), 300) << "the optimise task at start";
    EXPECT_LT(pushedPixels(clean), 30);
    Click(IDC_TABBTN_CLEAN);
    EXPECT_LT(pushedPixels(optimise), 30);
    EXPECT_GT(pushedPixels(clean), 300);
    ASSERT_TRUE(PhotographWindow(page_->m_hWnd, L"schedule_task_clean.png"));
    Click(IDC_TABBTN_OPTIMIZE);
    EXPECT_GT(pushedPixels(optimise), 300);
    EXPECT_LT(pushedPixels(clean), 30);
}

TEST_F(SchedulePageTest, CleanTaskOptionsAndTheWayBackToOptimise) {
    Click(IDC_TABBTN_CLEAN);
    EXPECT_STREQ(L"Scheduler Clean Up", services_.heading);
    EXPECT_STREQ(L"Xarn-Clean", child_->TaskName());
    EXPECT_FALSE(Visible(IDC_CMB_SCHEDULE_DRIVE));
    EXPECT_FALSE(Visible(IDC_ST_SELECTDRIVE));
    EXPECT_TRUE(Visible(IDC_CHK_FIXERR_AUTO));
    EXPECT_FALSE(Enabled(IDC_CHK_SYSREBOOT_AFTER_FIX));
    EXPECT_EQ(L"Not scheduled", ScheduleValue(kCleanTaskName));

    Click(IDC_CHK_FIXERR_AUTO);
    EXPECT_TRUE(Enabled(IDC_CHK_SYSREBOOT_AFTER_FIX));
    Click(IDC_RD_EVERYDAY);
    SetPicker(IDC_DTP_TIME, Today(0, 3, 5));
    Apply();
    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kCleanTaskName, stored));
    EXPECT_EQ(L" -autofix", stored.parameters);
    EXPECT_EQ(L"Xarn-Clean", stored.comment);
    EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, stored.trigger.TriggerType);
    EXPECT_EQ(3, stored.trigger.wStartHour);
    EXPECT_EQ(5, stored.trigger.wStartMinute);
    EXPECT_TRUE(Checked(IDC_CHK_FIXERR_AUTO));
    EXPECT_FALSE(Checked(IDC_CHK_SYSREBOOT_AFTER_FIX));

    // Fix and shut down: the shut-down word alone, which implies the fix.
    Click(IDC_CHK_SYSREBOOT_AFTER_FIX);
    Apply();
    ASSERT_TRUE(ReadStoredTask(kCleanTaskName, stored));
    EXPECT_EQ(L" -shutdown", stored.parameters);
    EXPECT_TRUE(Checked(IDC_CHK_FIXERR_AUTO));
    EXPECT_TRUE(Checked(IDC_CHK_SYSREBOOT_AFTER_FIX));
    ASSERT_TRUE(PhotographWindow(page_->m_hWnd, L"schedule_clean.png"));

    // Unticking the fix also unticks and disables the shut-down.
    Click(IDC_CHK_FIXERR_AUTO);
    EXPECT_FALSE(Checked(IDC_CHK_SYSREBOOT_AFTER_FIX));
    EXPECT_FALSE(Enabled(IDC_CHK_SYSREBOOT_AFTER_FIX));

    Click(IDC_TABBTN_OPTIMIZE);
    EXPECT_TRUE(Visible(IDC_CMB_SCHEDULE_DRIVE));
    EXPECT_STREQ(L"(C:) System (System drive)", SelectedDriveEntry());
    EXPECT_FALSE(child_->IsScheduled());
    EXPECT_TRUE(manager_.TaskExists(kCleanTaskName));
}

TEST_F(SchedulePageTest, FailingTaskSchedulerKeepsTheOldTaskAndSaysSo) {
    Click(IDC_RD_EVERYWEEK);
    Click(IDC_CHK_SUNDAY);
    Apply();
    ASSERT_TRUE(manager_.TaskExists(kOptimizeTaskName));
    // The stored task is held open without sharing: the Task Scheduler cannot write it.
    // (Wine's scheduler service reads new job files itself: wait until it lets go.)
    KernelHandle held;
    for (int attempt = 0; attempt < 100 && !held; ++attempt) {
        held.Reset(::CreateFileW(JobFile(kOptimizeTaskName).c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
        if (!held)
            ::Sleep(50);
    }
    ASSERT_TRUE(held) << ::GetLastError();
    SelectDrive(1);
    Click(IDC_RD_EVERYDAY);
    Apply();
    held.Reset();

    ASSERT_EQ(2u, g_boxes.size());
    EXPECT_EQ(L"The schedule could not be saved (saving one needs administrator rights). The "
              L"previous schedule is unchanged.",
              g_boxes[1].text);
    EXPECT_NE(0u, g_boxes[1].icon);
    // The choice stays on the page to try again.
    EXPECT_TRUE(child_->m_btnApply.IsWindowEnabled());
    EXPECT_EQ(ScheduleMode::kDaily, child_->Mode());
    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(L"-schedule -C", stored.parameters);
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, stored.trigger.TriggerType);
    EXPECT_EQ(TASK_SUNDAY, stored.trigger.Type.Weekly.rgfDaysOfTheWeek);

    // Once the file is free again the same Apply saves.
    Apply();
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(L"-schedule -D", stored.parameters);
    EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, stored.trigger.TriggerType);
}

TEST_F(SchedulePageTest, OptimiseWithoutADriveIsRefused) {
    services_.drives.clear();
    Click(IDC_TABBTN_OPTIMIZE);
    Click(IDC_RD_EVERYDAY);
    Apply();
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(L"Choose the drive to optimise.", g_boxes[0].text);
    EXPECT_FALSE(manager_.TaskExists(kOptimizeTaskName));
}
