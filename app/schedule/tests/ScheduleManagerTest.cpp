// Scheduled tasks written through the Task Scheduler 1.0 and read back through ITask.
#include "ScheduleManager.h"
#include "StoredTask.h"

#include "AppLocations.h"
#include "Paths.h"

#include <owners/WinOwners.h>

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;
using namespace stored_task;

namespace {

constexpr wchar_t kProgram[] = L"C:\\Program Files\\Xarn\\Xarn.exe";
constexpr wchar_t kFolder[] = L"C:\\Program Files\\Xarn";

SYSTEMTIME Day(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    return time;
}

ScheduleChoice Choice(bool optimise, ScheduleMode mode) {
    ScheduleChoice choice;
    choice.optimise = optimise;
    choice.drive = L'D';
    choice.mode = mode;
    choice.hour = 14;
    choice.minute = 30;
    choice.date = Day(2031, 5, 17);
    choice.programPath = kProgram;
    choice.workingFolder = kFolder;
    return choice;
}

class ScheduleManagerTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveTasks(); }
    void TearDown() override { RemoveTasks(); }
    void RemoveTasks() {
        (void)manager_.DeleteTask(kOptimizeTaskName);
        (void)manager_.DeleteTask(kCleanTaskName);
    }
    CScheduleManager manager_;
    const SYSTEMTIME now_ = Day(2026, 12, 9, 7, 15);
};

TEST(TaskParameters, OneSwitchWordAndTheDrive) {
    EXPECT_STREQ(L"-schedule -D", BuildTaskParameters(true, L'D', false, false).GetString());
    EXPECT_STREQ(L" -autofix -C", BuildTaskParameters(true, L'C', true, false).GetString());
    EXPECT_STREQ(L" -shutdown", BuildTaskParameters(false, L'C', true, true).GetString());
    EXPECT_STREQ(L" -autofix", BuildTaskParameters(false, L'C', true, false).GetString());
    EXPECT_STREQ(L"-schedule", BuildTaskParameters(false, L'C', false, false).GetString());
}

TEST(TaskParameters, OptionsReadBack) {
    const ScheduleOptions shutdown = ScheduleOptionsFromParameters(L" -shutdown -C");
    EXPECT_TRUE(shutdown.autofix);
    EXPECT_TRUE(shutdown.shutdown) << "a task saved with -shutdown shows both boxes checked";
    const ScheduleOptions autofix = ScheduleOptionsFromParameters(L" -autofix");
    EXPECT_TRUE(autofix.autofix);
    EXPECT_FALSE(autofix.shutdown);
    const ScheduleOptions plain = ScheduleOptionsFromParameters(L"-schedule -D");
    EXPECT_FALSE(plain.autofix);
    EXPECT_FALSE(plain.shutdown);
}

// The drive a stored optimise task runs for, as the schedule page keeps it selected.
TEST(TaskParameters, DriveReadBack) {
    for (wchar_t drive : {L'C', L'R', L'Z'})
        for (bool autofix : {false, true})
            for (bool shutdown : {false, true})
                EXPECT_EQ(drive, TaskDriveFromParameters(
                                     BuildTaskParameters(true, drive, autofix, shutdown)));
    EXPECT_EQ(L'S', TaskDriveFromParameters(L"-schedule -s"));
    EXPECT_EQ(L'S', TaskDriveFromParameters(L"-schedule -S  "));
    EXPECT_EQ(0, TaskDriveFromParameters(L" -autofix")) << "the clean task names no drive";
    EXPECT_EQ(0, TaskDriveFromParameters(L"-schedule"));
    EXPECT_EQ(0, TaskDriveFromParameters(L""));
    EXPECT_EQ(0, TaskDriveFromParameters(L"-schedule -CD"));
    EXPECT_EQ(0, TaskDriveFromParameters(L"-schedule -1"));
    EXPECT_EQ(0, TaskDriveFromParameters(L"x-R")) << "a word of its own";
    EXPECT_EQ(L'R', TaskDriveFromParameters(L"-R"));
}

TEST(ScheduleStatusText, WrittenUnderTheTaskName) {
    ASSERT_TRUE(SaveScheduleStatusText(kCleanTaskName, L"Not scheduled"));
    CString path = GetAppRegistryKey();
    AppendPath(path, L"Schedule");
    wchar_t text[32]{};
    DWORD size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, path, kCleanTaskName, RRF_RT_REG_SZ,
                                          nullptr, text, &size));
    EXPECT_STREQ(L"Not scheduled", text);
    RegDeleteTreeW(HKEY_CURRENT_USER, path);
}

TEST_F(ScheduleManagerTest, WeeklyOptimiseTaskReadsBack) {
    ScheduleChoice choice = Choice(true, ScheduleMode::kWeekly);
    choice.weekDays = TASK_MONDAY | TASK_FRIDAY;
    ASSERT_EQ(ScheduleSaveResult::kSaved, SaveSchedule(manager_, choice, now_));

    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(kProgram, stored.application);
    EXPECT_EQ(L"-schedule -D", stored.parameters);
    EXPECT_EQ(kFolder, stored.workingFolder);
    EXPECT_EQ(kOptimizeTaskName, stored.comment);
    EXPECT_EQ(kScheduledTaskFlags, stored.flags);
    EXPECT_EQ(1, stored.triggerCount) << "exactly one trigger, also where new tasks carry one";
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, stored.trigger.TriggerType);
    EXPECT_EQ(TASK_MONDAY | TASK_FRIDAY, stored.trigger.Type.Weekly.rgfDaysOfTheWeek);
    EXPECT_EQ(1, stored.trigger.Type.Weekly.WeeksInterval);
    EXPECT_EQ(14, stored.trigger.wStartHour);
    EXPECT_EQ(30, stored.trigger.wStartMinute);
    EXPECT_EQ(2026, stored.trigger.wBeginYear) << "weekly begins today";
    EXPECT_EQ(9, stored.trigger.wBeginDay);

    TASK_TRIGGER trigger{};
    CString parameters;
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY,
              manager_.GetTaskTrigger(kOptimizeTaskName, trigger, parameters));
    EXPECT_STREQ(L"-schedule -D", parameters.GetString());
}

TEST_F(ScheduleManagerTest, DailyAndOnceTriggers) {
    ScheduleChoice daily = Choice(false, ScheduleMode::kDaily);
    daily.autofix = true;
    daily.shutdown = true;
    ASSERT_EQ(ScheduleSaveResult::kSaved, SaveSchedule(manager_, daily, now_));
    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kCleanTaskName, stored));
    EXPECT_EQ(L" -shutdown", stored.parameters);
    EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, stored.trigger.TriggerType);
    EXPECT_EQ(1, stored.trigger.Type.Daily.DaysInterval);

    // Saving again replaces the trigger instead of adding one.
    ASSERT_EQ(ScheduleSaveResult::kSaved,
              SaveSchedule(manager_, Choice(false, ScheduleMode::kOnce), now_));
    ASSERT_TRUE(ReadStoredTask(kCleanTaskName, stored));
    EXPECT_EQ(1, stored.triggerCount);
    EXPECT_EQ(TASK_TIME_TRIGGER_ONCE, stored.trigger.TriggerType);
    EXPECT_EQ(2031, stored.trigger.wBeginYear);
    EXPECT_EQ(5, stored.trigger.wBeginMonth);
    EXPECT_EQ(17, stored.trigger.wBeginDay);
    EXPECT_EQ(L"-schedule", stored.parameters);
}

TEST_F(ScheduleManagerTest, RefusalsChangeNothing) {
    ASSERT_EQ(ScheduleSaveResult::kSaved,
              SaveSchedule(manager_, Choice(true, ScheduleMode::kDaily), now_));
    EXPECT_EQ(ScheduleSaveResult::kNoWeekDays,
              SaveSchedule(manager_, Choice(true, ScheduleMode::kWeekly), now_));
    ScheduleChoice past = Choice(true, ScheduleMode::kOnce);
    past.date = Day(2026, 12, 9);
    past.hour = 7;
    past.minute = 14;
    EXPECT_EQ(ScheduleSaveResult::kTimeElapsed, SaveSchedule(manager_, past, now_));
    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(TASK_TIME_TRIGGER_DAILY, stored.trigger.TriggerType);
}

TEST_F(ScheduleManagerTest, FailingSchedulerKeepsTheOldTask) {
    ScheduleChoice weekly = Choice(true, ScheduleMode::kWeekly);
    weekly.weekDays = TASK_SUNDAY;
    ASSERT_EQ(ScheduleSaveResult::kSaved, SaveSchedule(manager_, weekly, now_));
    // The stored task is held open without sharing: the Task Scheduler cannot touch it.
    // (Wine's scheduler service reads new job files itself: wait until it lets go.)
    KernelHandle held;
    for (int attempt = 0; attempt < 100 && !held; ++attempt) {
        held.Reset(CreateFileW(JobFile(kOptimizeTaskName).c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr));
        if (!held)
            Sleep(50);
    }
    ASSERT_TRUE(held) << GetLastError();
    ScheduleChoice daily = Choice(true, ScheduleMode::kDaily);
    daily.drive = L'E';
    const ScheduleSaveResult result = SaveSchedule(manager_, daily, now_);
    held.Reset();
    EXPECT_EQ(ScheduleSaveResult::kFailed, result);

    StoredTask stored;
    ASSERT_TRUE(ReadStoredTask(kOptimizeTaskName, stored));
    EXPECT_EQ(L"-schedule -D", stored.parameters);
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, stored.trigger.TriggerType);
    EXPECT_EQ(TASK_SUNDAY, stored.trigger.Type.Weekly.rgfDaysOfTheWeek);
}

TEST_F(ScheduleManagerTest, NotScheduledRemovesTheTask) {
    ASSERT_EQ(ScheduleSaveResult::kSaved,
              SaveSchedule(manager_, Choice(true, ScheduleMode::kDaily), now_));
    EXPECT_TRUE(manager_.TaskExists(kOptimizeTaskName));
    EXPECT_EQ(ScheduleSaveResult::kRemoved,
              SaveSchedule(manager_, Choice(true, ScheduleMode::kNotScheduled), now_));
    EXPECT_FALSE(manager_.TaskExists(kOptimizeTaskName));
    EXPECT_EQ(ScheduleSaveResult::kRemoved,
              SaveSchedule(manager_, Choice(true, ScheduleMode::kNotScheduled), now_))
        << "nothing to remove";
    TASK_TRIGGER trigger{};
    CString parameters;
    EXPECT_EQ(-1, manager_.GetTaskTrigger(kOptimizeTaskName, trigger, parameters));
    EXPECT_TRUE(manager_.GetNextRunTime(kOptimizeTaskName).IsEmpty());
}

TEST_F(ScheduleManagerTest, NextRunTimeText) {
    ScheduleChoice once = Choice(true, ScheduleMode::kOnce);
    ASSERT_EQ(ScheduleSaveResult::kSaved, SaveSchedule(manager_, once, now_));
    const CString next = manager_.GetNextRunTime(kOptimizeTaskName);
    if (next.IsEmpty())
        GTEST_SKIP() << "this Task Scheduler gives no next run time";
    EXPECT_STREQ(L"May 17, 2031 14:30:00 hours", next.GetString());
}

} // namespace
