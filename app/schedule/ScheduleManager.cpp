#include "ScheduleManager.h"

#include "AppLocations.h"
#include "AppState.h"
#include "Paths.h"
#include "Registry.h"
#include "SystemInfo.h"

#include <wrl/client.h>

#include <ctime>
#include <cwctype>
#include <iterator>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ITaskScheduler> CreateScheduler() {
    ComPtr<ITaskScheduler> scheduler;
    if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskScheduler,
                                reinterpret_cast<void**>(scheduler.GetAddressOf()))))
        return nullptr;
    return scheduler;
}

ComPtr<ITask> ActivateTask(ITaskScheduler& scheduler, const wchar_t* name) {
    ComPtr<ITask> task;
    if (scheduler.Activate(name, IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())) !=
        S_OK)
        return nullptr;
    return task;
}

CString CurrentUserName() {
    wchar_t user[1000];
    DWORD length = static_cast<DWORD>(std::size(user));
    return GetUserNameW(user, &length) ? CString(user) : CString();
}

bool ReplaceTriggers(ITask& task, const TASK_TRIGGER& trigger) {
    WORD count = 0;
    if (FAILED(task.GetTriggerCount(&count)))
        return false;
    while (count > 0) {
        if (FAILED(task.DeleteTrigger(--count)))
            return false;
    }
    WORD index = 0;
    ComPtr<ITaskTrigger> newTrigger;
    if (FAILED(task.CreateTrigger(&index, newTrigger.GetAddressOf())))
        return false;
    TASK_TRIGGER copy = trigger;
    copy.cbTriggerSize = sizeof copy;
    return SUCCEEDED(newTrigger->SetTrigger(&copy));
}

bool IsBefore(const SYSTEMTIME& moment, const SYSTEMTIME& now) {
    FILETIME momentFile{};
    FILETIME nowFile{};
    if (!SystemTimeToFileTime(&moment, &momentFile) || !SystemTimeToFileTime(&now, &nowFile))
        return true;
    return CompareFileTime(&momentFile, &nowFile) < 0;
}

} // namespace

CScheduleManager::CScheduleManager() : comResult_(CoInitialize(nullptr)) {}

CScheduleManager::~CScheduleManager() {
    if (SUCCEEDED(comResult_))
        CoUninitialize();
}

bool CScheduleManager::TaskExists(const wchar_t* name) {
    const ComPtr<ITaskScheduler> scheduler = CreateScheduler();
    return scheduler && ActivateTask(*scheduler.Get(), name);
}

bool CScheduleManager::SaveTask(const ScheduledTaskDefinition& definition) {
    if (!IsUserAdmin())
        return false;
    const ComPtr<ITaskScheduler> scheduler = CreateScheduler();
    if (!scheduler)
        return false;
    ComPtr<ITask> task = ActivateTask(*scheduler.Get(), definition.name);
    if (!task && FAILED(scheduler->NewWorkItem(definition.name, CLSID_CTask, IID_ITask,
                                               reinterpret_cast<IUnknown**>(task.GetAddressOf()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(task->SetApplicationName(definition.application)) ||
        FAILED(task->SetWorkingDirectory(definition.workingFolder)) ||
        FAILED(task->SetParameters(definition.parameters)) ||
        FAILED(task->SetComment(definition.comment)) ||
        FAILED(task->SetFlags(kScheduledTaskFlags)) ||
        !ReplaceTriggers(*task.Get(), definition.trigger) || FAILED(task.As(&file)))
        return false;
    // Systems that need no account (or cannot set one) still run the task for the user.
    (void)task->SetAccountInformation(CurrentUserName(), nullptr);
    return SUCCEEDED(file->Save(nullptr, TRUE));
}

int CScheduleManager::GetTaskTrigger(const wchar_t* name, TASK_TRIGGER& trigger,
                                     CString& parameters) {
    const ComPtr<ITaskScheduler> scheduler = CreateScheduler();
    if (!scheduler)
        return -1;
    const ComPtr<ITask> task = ActivateTask(*scheduler.Get(), name);
    ComPtr<ITaskTrigger> first;
    if (!task || FAILED(task->GetTrigger(0, first.GetAddressOf())))
        return -1;
    TASK_TRIGGER read{};
    read.cbTriggerSize = sizeof read;
    if (FAILED(first->GetTrigger(&read)))
        return -1;
    LPWSTR text = nullptr;
    if (SUCCEEDED(task->GetParameters(&text)) && text) {
        parameters = text;
        CoTaskMemFree(text);
    }
    trigger = read;
    return read.TriggerType <= TASK_EVENT_TRIGGER_AT_LOGON ? static_cast<int>(read.TriggerType)
                                                           : -1;
}

bool CScheduleManager::DeleteTask(const wchar_t* name) {
    const CString taskName = name && *name ? CString(name) : GetAppTitle();
    const ComPtr<ITaskScheduler> scheduler = CreateScheduler();
    return scheduler && SUCCEEDED(scheduler->Delete(taskName));
}

CString CScheduleManager::GetNextRunTime(const wchar_t* name) {
    const ComPtr<ITaskScheduler> scheduler = CreateScheduler();
    if (!scheduler)
        return CString();
    const ComPtr<ITask> task = ActivateTask(*scheduler.Get(), name);
    WORD triggers = 0;
    SYSTEMTIME next{};
    if (!task || FAILED(task->GetTriggerCount(&triggers)) || triggers == 0 ||
        task->GetNextRunTime(&next) != S_OK || next.wYear == 0 || next.wMonth == 0 ||
        next.wDay == 0)
        return CString();
    std::tm moment{};
    moment.tm_year = next.wYear - 1900;
    moment.tm_mon = next.wMonth - 1;
    moment.tm_mday = next.wDay;
    moment.tm_hour = next.wHour;
    moment.tm_min = next.wMinute;
    moment.tm_sec = next.wSecond;
    wchar_t text[64];
    if (wcsftime(text, std::size(text), L"%b %d, %Y %H:%M:%S", &moment) == 0)
        return CString();
    return CString(text) + L" hours";
}

CString BuildTaskParameters(bool optimise, wchar_t drive, bool autofix, bool shutdown) {
    CString parameters = shutdown ? L" -shutdown" : autofix ? L" -autofix" : L"-schedule";
    if (optimise) {
        parameters += L" -";
        parameters += drive;
    }
    return parameters;
}

ScheduleOptions ScheduleOptionsFromParameters(const CString& parameters) {
    if (parameters.Find(L"-autofix") >= 0)
        return {true, false};
    if (parameters.Find(L"-shutdown") >= 0)
        return {true, true};
    return {};
}

wchar_t TaskDriveFromParameters(const CString& parameters) {
    CString text = parameters;
    text.TrimRight();
    const int length = text.GetLength();
    // "-X" at the end, alone as a word.
    if (length < 2 || text[length - 2] != L'-' || (length > 2 && text[length - 3] != L' '))
        return 0;
    const wchar_t letter = static_cast<wchar_t>(towupper(text[length - 1]));
    return letter >= L'A' && letter <= L'Z' ? letter : 0;
}

bool SaveScheduleStatusText(const wchar_t* taskName, const CString& text) {
    CString path = GetAppRegistryKey();
    AppendPath(path, L"Schedule");
    CRegistry key(HKEY_CURRENT_USER);
    return key.Open(HKEY_CURRENT_USER, path, true) && key.WriteString(taskName, text);
}

ScheduleSaveResult SaveSchedule(CScheduleManager& manager, const ScheduleChoice& choice,
                                const SYSTEMTIME& now) {
    const wchar_t* name = choice.optimise ? kOptimizeTaskName : kCleanTaskName;
    if (choice.mode == ScheduleMode::kNotScheduled) {
        if (manager.TaskExists(name) && !manager.DeleteTask(name))
            return ScheduleSaveResult::kFailed;
        return ScheduleSaveResult::kRemoved;
    }
    if (choice.mode == ScheduleMode::kWeekly && choice.weekDays == 0)
        return ScheduleSaveResult::kNoWeekDays;

    ScheduledTaskDefinition task;
    task.name = name;
    task.application = choice.programPath;
    task.workingFolder = choice.workingFolder;
    task.parameters =
        BuildTaskParameters(choice.optimise, choice.drive, choice.autofix, choice.shutdown);
    task.comment = name;
    TASK_TRIGGER& trigger = task.trigger;
    trigger.cbTriggerSize = sizeof trigger;
    const SYSTEMTIME& day = choice.mode == ScheduleMode::kOnce ? choice.date : now;
    trigger.wBeginYear = day.wYear;
    trigger.wBeginMonth = day.wMonth;
    trigger.wBeginDay = day.wDay;
    trigger.wStartHour = choice.hour;
    trigger.wStartMinute = choice.minute;
    switch (choice.mode) {
    case ScheduleMode::kOnce: {
        trigger.TriggerType = TASK_TIME_TRIGGER_ONCE;
        SYSTEMTIME moment = choice.date;
        moment.wHour = choice.hour;
        moment.wMinute = choice.minute;
        moment.wSecond = 0;
        moment.wMilliseconds = 0;
        if (IsBefore(moment, now))
            return ScheduleSaveResult::kTimeElapsed;
        break;
    }
    case ScheduleMode::kDaily:
        trigger.TriggerType = TASK_TIME_TRIGGER_DAILY;
        trigger.Type.Daily.DaysInterval = 1;
        break;
    case ScheduleMode::kWeekly:
        trigger.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        trigger.Type.Weekly.WeeksInterval = 1;
        trigger.Type.Weekly.rgfDaysOfTheWeek = choice.weekDays;
        break;
    default:
        return ScheduleSaveResult::kFailed;
    }
    return manager.SaveTask(task) ? ScheduleSaveResult::kSaved : ScheduleSaveResult::kFailed;
}
