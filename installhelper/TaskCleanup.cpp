#include "TaskCleanup.h"

#include "ProductNames.h"

#include <windows.h>
#include <mstask.h>

bool DeleteScheduledTasks() {
    ITaskScheduler* scheduler = nullptr;
    if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskScheduler, reinterpret_cast<void**>(&scheduler)))) {
        return false;
    }
    bool noneLeft = true;
    for (const wchar_t* taskName : kScheduledTaskNames) {
        const HRESULT result = scheduler->Delete(taskName);
        if (FAILED(result) && result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
            noneLeft = false;
        }
    }
    scheduler->Release();
    return noneLeft;
}
