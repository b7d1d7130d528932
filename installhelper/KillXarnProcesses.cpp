#include "KillXarnProcesses.h"

#include "CommandLine.h"
#include "ProcessKill.h"
#include "RunEntries.h"
#include "ServiceStop.h"
#include "TaskCleanup.h"

#include <windows.h>
#include <objbase.h>

int KillXarnProcessesMain(const wchar_t* arguments) {
    const HRESULT com = CoInitialize(nullptr);
    const bool stopOnly = IsStopOnlyRequest(arguments);
    StopDefragService();
    KillProductProcesses();
    if (!stopOnly) {
        DeleteScheduledTasks();
        DeleteRunEntries();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}
