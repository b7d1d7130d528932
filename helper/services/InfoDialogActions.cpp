#include "InfoDialogActions.h"

#include "ShellCommands.h"

#include <owners/WinOwners.h>

namespace {

bool EnableShutdownPrivilege() {
    KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put()))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return false;
    SetLastError(ERROR_SUCCESS);
    // Succeeds also when the privilege is not held; only the error code tells.
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr))
        return false;
    return GetLastError() == ERROR_SUCCESS;
}

const InfoDialogActions kSystemActions{&EnableShutdownPrivilege, &ExitWindowsEx, &OpenStoredWebPage,
                                       &OpenSupportMail};
const InfoDialogActions* g_actions = &kSystemActions;

} // namespace

const InfoDialogActions& GetInfoDialogActions() {
    return *g_actions;
}

void SetInfoDialogActions(const InfoDialogActions* actions) {
    g_actions = actions != nullptr ? actions : &kSystemActions;
}
