#include "ProcessKill.h"

#include "EnumProcess.h"
#include "ProductNames.h"

#include <owners/WinOwners.h>

#include <cwchar>

bool IsProductExecutable(const wchar_t* executableName) {
    const wchar_t* lastSeparator = wcsrchr(executableName, L'\\');
    const wchar_t* fileName = lastSeparator ? lastSeparator + 1 : executableName;
    for (const wchar_t* productName : kProductExecutableNames) {
        if (CompareStringOrdinal(fileName, -1, productName, -1, TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

int KillProductProcesses() {
    CEnumProcess processes;
    if (processes.GetMethod() == CEnumProcess::kMethodNone) {
        return 0;
    }
    CEnumProcess::CProcessEntry entry;
    for (bool found = processes.GetProcessFirst(entry); found;
         found = processes.GetProcessNext(entry)) {
        Sleep(1);
        if (entry.name[0] == L'\0' || !IsProductExecutable(entry.name)) {
            continue;
        }
        const KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.processId));
        if (process && TerminateProcess(process.Get(), 0)) {
            Sleep(0);
        }
    }
    return 1;
}
