#include "UpdateServices.h"

#include "GlobalUpdate.h"

bool CheckForProgramUpdate() {
    CGlobalUpdate update;
    return update.CheckForUpdate();
}

bool IsInternetAvailable() {
    CGlobalUpdate update;
    return update.IsInternetConnected();
}

CString QueryMachineId() {
    CGlobalUpdate update;
    CString id;
    return update.GetMachineId(id);
}

bool ShowDatabaseUpdate() {
    CGlobalUpdate update;
    return update.UpdateDefinitionDatabase();
}
