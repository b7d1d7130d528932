// The scheduled optimise and clean tasks in the Task Scheduler 1.0, and the choice on the
// schedule page turned into one of them.
#pragma once

#include <windows.h>

#include <mstask.h>

#include <classlib/String.h>

inline constexpr wchar_t kOptimizeTaskName[] = L"Xarn-Optimize";
inline constexpr wchar_t kCleanTaskName[] = L"Xarn-Clean";
inline constexpr DWORD kScheduledTaskFlags = TASK_FLAG_RUN_ONLY_IF_LOGGED_ON;

// Everything this program writes into a task.
struct ScheduledTaskDefinition {
    CString name;
    CString application;
    CString workingFolder;
    CString parameters;
    CString comment;
    TASK_TRIGGER trigger{};
};

// Wraps the Task Scheduler's objects; COM is initialised for the manager's lifetime.
class CScheduleManager {
public:
    CScheduleManager();
    ~CScheduleManager();
    CScheduleManager(const CScheduleManager&) = delete;
    CScheduleManager& operator=(const CScheduleManager&) = delete;

    bool TaskExists(const wchar_t* name);
    // Writes the task with exactly one trigger and saves it once: an existing task is changed
    // in place, so a failure leaves the stored task as it was. Only for an administrator.
    [[nodiscard]] bool SaveTask(const ScheduledTaskDefinition& task);
    // The first trigger's type (0 to 7) and the task's parameters; -1 without task or trigger.
    int GetTaskTrigger(const wchar_t* name, TASK_TRIGGER& trigger, CString& parameters);
    // An empty name stands for the application's title.
    [[nodiscard]] bool DeleteTask(const wchar_t* name);
    // "Dec 08, 2026 14:30:00 hours", or empty when the task has no trigger or no further run.
    CString GetNextRunTime(const wchar_t* name);

private:
    HRESULT comResult_;
};

// The one switch word of a task's command line ("-schedule", " -autofix" or " -shutdown", the
// last winning), followed for the optimise task by " -" and the drive letter.
CString BuildTaskParameters(bool optimise, wchar_t drive, bool autofix, bool shutdown);

// The options a stored task's parameters carry: " -autofix" the automatic fix alone,
// " -shutdown" the fix and the shut-down after it.
struct ScheduleOptions {
    bool autofix = false;
    bool shutdown = false;
};
ScheduleOptions ScheduleOptionsFromParameters(const CString& parameters);

// The drive an optimise task's parameters name (their last word "-X", as BuildTaskParameters
// ends them), upper-cased; 0 when they name none.
wchar_t TaskDriveFromParameters(const CString& parameters);

// The page's next-run (or not-scheduled) text of a task, kept under the application's
// "Schedule" key in a value named after the task; false when it could not be written.
[[nodiscard]] bool SaveScheduleStatusText(const wchar_t* taskName, const CString& text);

enum class ScheduleMode { kNotScheduled = 0, kOnce = 1, kDaily = 2, kWeekly = 3 };

struct ScheduleChoice {
    bool optimise = true;
    wchar_t drive = L'C';
    bool autofix = false;
    bool shutdown = false;
    ScheduleMode mode = ScheduleMode::kNotScheduled;
    SYSTEMTIME date{}; // day of a run-once task
    WORD hour = 0;
    WORD minute = 0;
    WORD weekDays = 0; // TASK_SUNDAY ... TASK_SATURDAY
    CString programPath;
    CString workingFolder;
};

enum class ScheduleSaveResult {
    kFailed = 0, // the Task Scheduler refused; the stored task is unchanged
    kSaved = 1,
    kTimeElapsed = 2, // a run-once moment in the past: nothing changed
    kNoWeekDays = 3,  // weekly without a day: nothing changed
    kRemoved = 4,     // not scheduled: the task is gone
};

// Applies the page's choice at local time `now`.
ScheduleSaveResult SaveSchedule(CScheduleManager& manager, const ScheduleChoice& choice,
                                const SYSTEMTIME& now);
