// The update services the library exports: each builds a CGlobalUpdate for one call.
#pragma once

#include <classlib/String.h>

bool CheckForProgramUpdate();
bool IsInternetAvailable();
CString QueryMachineId();
bool ShowDatabaseUpdate();
