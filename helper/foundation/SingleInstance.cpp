#include "SingleInstance.h"

#include <classlib/Validation.h>

#include "AppState.h"
#include "SharedGlobals.h"
#include "SystemInfo.h"
#include "VantorixApp.h"

#include <owners/WinOwners.h>

namespace {
constexpr wchar_t kDialogClass[] = L"#32770";
// The instance mutex of this process, open while it is the running instance.
KernelHandle g_instanceMutex;

LPCWSTR StrongestSwitch() {
    if (g_bShutdownSwitch)
        return L"shutdown";
    if (g_bAutoFixSwitch)
        return L"autofix";
    if (g_bScheduleSwitch)
        return L"schedulescan";
    return nullptr;
}
} // namespace

bool IsAnotherInstanceRunning(CVantorixApp* app) {
    if (app == nullptr)
        return false;
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, app->GetInstanceMutexName());
    const DWORD error = GetLastError();
    // Kept open: the name must exist for as long as this process runs as the instance.
    if (mutex != nullptr) {
        ReleaseMutex(mutex);
        g_instanceMutex.Reset(mutex);
    }
    return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

void ReleaseInstanceMutex() {
    g_instanceMutex.Reset();
}

CString GetApplicationArguments(const CWinApp* app) {
    return CString(app != nullptr && app->m_lpCmdLine != nullptr ? app->m_lpCmdLine : L"");
}

void ParseCommandLineSwitches(CVantorixApp* app) {
    // Only the arguments: a folder in the program's own path may contain a switch word. The
    // blank in front stands for the program name, so a first argument without '-' counts.
    CString text = GetApplicationArguments(app);
    text.MakeLower();
    text.Trim();
    text = L" " + text;
    text.Replace(L'-', L' ');
    text.Replace(L'/', L' ');
    BYTE schedule = 0, autoFix = 0, shutdown = 0;
    if (text.Find(L" schedule") >= 0)
        schedule = 1, autoFix = 0, shutdown = 0;
    if (text.Find(L" autofix") >= 0)
        schedule = 1, autoFix = 1, shutdown = 0;
    if (text.Find(L" shutdown") >= 0)
        schedule = 1, autoFix = 1, shutdown = 1;
    g_bScheduleSwitch = schedule;
    g_bAutoFixSwitch = autoFix;
    g_bShutdownSwitch = shutdown;
}

bool ForwardCommandToRunningInstance(CVantorixApp*) {
    HWND running = FindWindowW(kDialogClass, g_strAppTitle);
    if (running == nullptr)
        return true;
    LPCWSTR command = StrongestSwitch();
    if (command == nullptr)
        return true;
    // A pointer into this process means nothing to the receiver; an atom's name it can read.
    const ATOM atom = GlobalAddAtomW(command);
    SendMessageW(running, g_msgSchedulerHandOff, 0, atom);
    if (atom != 0)
        GlobalDeleteAtom(atom);
    return false;
}

void ActivateRunningInstance() {
    HWND window = FindWindowW(kDialogClass, g_strAppTitle);
    if (window == nullptr)
        window = FindWindowW(nullptr, g_strAppTitle);
    if (window == nullptr)
        return;
    ShowWindow(window, SW_SHOWNORMAL);
    BringWindowToTop(window);
    SetForegroundWindow(GetLastActivePopup(window));
}

BOOL AllowWindowMessage(UINT message, DWORD flag) {
    if (GetOsMajorVersion() <= 5)
        return FALSE;
    using ChangeWindowMessageFilterFn = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user32 = GetModuleHandleW(L"user32");
    const auto changeFilter =
        user32 ? reinterpret_cast<ChangeWindowMessageFilterFn>(
                     reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")))
               : nullptr;
    if (changeFilter == nullptr ||
        !AfxIsValidAddress(reinterpret_cast<const void*>(changeFilter), 4, FALSE))
        return FALSE;
    return changeFilter(message, flag);
}
