// A scheduled task read back through the Task Scheduler's own interfaces, and the file it is
// stored in.
#pragma once

#include <windows.h>

#include <mstask.h>
#include <wrl/client.h>

#include <string>

namespace stored_task {

struct StoredTask {
    std::wstring application;
    std::wstring parameters;
    std::wstring workingFolder;
    std::wstring comment;
    DWORD flags = 0;
    WORD triggerCount = 0;
    TASK_TRIGGER trigger{};
};

inline std::wstring Take(LPWSTR text) {
    std::wstring copy = text ? text : L"";
    CoTaskMemFree(text);
    return copy;
}

// Reads a stored task through the scheduler's own interfaces.
inline bool ReadStoredTask(const wchar_t* name, StoredTask& stored) {
    Microsoft::WRL::ComPtr<ITaskScheduler> scheduler;
    Microsoft::WRL::ComPtr<ITask> task;
    if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskScheduler,
                                reinterpret_cast<void**>(scheduler.GetAddressOf()))) ||
        scheduler->Activate(name, IID_ITask, reinterpret_cast<IUnknown**>(task.GetAddressOf())) !=
            S_OK)
        return false;
    LPWSTR text = nullptr;
    task->GetApplicationName(&text);
    stored.application = Take(text);
    text = nullptr;
    task->GetParameters(&text);
    stored.parameters = Take(text);
    text = nullptr;
    task->GetWorkingDirectory(&text);
    stored.workingFolder = Take(text);
    text = nullptr;
    task->GetComment(&text);
    stored.comment = Take(text);
    task->GetFlags(&stored.flags);
    task->GetTriggerCount(&stored.triggerCount);
    Microsoft::WRL::ComPtr<ITaskTrigger> trigger;
    if (SUCCEEDED(task->GetTrigger(0, trigger.GetAddressOf()))) {
        stored.trigger.cbTriggerSize = sizeof stored.trigger;
        trigger->GetTrigger(&stored.trigger);
    }
    return true;
}

inline std::wstring JobFile(const wchar_t* name) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\Tasks\\" + name + L".job";
}

} // namespace stored_task
