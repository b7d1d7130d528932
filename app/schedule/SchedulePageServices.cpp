#include "SchedulePageServices.h"

#include "STService.h"

#include <ProductIdentity.h>

CString SchedulePageServices::ProgramFolder() {
    CString folder;
    GetModuleFolder(nullptr, folder);
    return folder;
}

void SchedulePageServices::StartTaskSchedulerService() {
    // False also when it already runs: nothing to tell the user either way.
    static_cast<void>(CSTService::StartScheduleService(L"schedule", true));
}
