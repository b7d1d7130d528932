#include "ProcessControl.h"

#include "AppLocations.h"
#include "EnumProcess.h"
#include "ProductIdentity.h"
#include "ShellCommands.h"
#include "SystemInfo.h"

#include <classlib/App.h>
#include <classlib/Resources.h>
#include <classlib/Validation.h>
#include <classlib/Window.h>
#include <owners/WinOwners.h>

namespace {

constexpr UINT kKilledExitCode = 666;

// The folder part of a path, without its final backslash and without a "\\?\" prefix, which
// names the same folder (Wine gives it to programs started from outside its drives).
CString FolderOf(const CString& path) {
    const int slash = path.ReverseFind(L'\\');
    CString folder = slash >= 0 ? path.Left(slash) : CString();
    if (folder.Left(4) == L"\\\\?\\")
        folder = folder.Mid(4);
    return folder;
}

// Calls `visit` (walker, entry) for each process whose lower-cased program file name holds
// `name` (lower-cased here), until it answers true. False when processes cannot be listed.
template <typename Visit> bool VisitProcessesNamed(CString name, Visit visit) {
    name.MakeLower();
    CEnumProcess walker;
    if (walker.GetAvailableMethods() == 0)
        return false;
    CEnumProcess::CProcessEntry entry;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry)) {
        CString program(entry.name);
        program.MakeLower();
        if (program.Find(name) >= 0 && visit(walker, entry))
            break;
    }
    return true;
}

} // namespace

bool KillProcessesByName(CString name) {
    if (name.IsEmpty())
        return false;
    return VisitProcessesNamed(name, [](CEnumProcess&, const CEnumProcess::CProcessEntry& entry) {
        const KernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.processId));
        if (process && TerminateProcess(process.Get(), kKilledExitCode))
            Sleep(0);
        return false;
    });
}

bool IsProcessRunning(CString name, DWORD interval, bool sameFolder) {
    // Shared by every caller of the process; the first call always looks.
    static bool checked = false;
    static DWORD lastCheck = 0;
    if (interval != 0) {
        const DWORD now = GetTickCount();
        if (checked && now - lastCheck <= interval)
            return true;
        checked = true;
        lastCheck = now;
    }
    if (name.IsEmpty())
        return false;
    // The first match decides.
    bool running = false;
    VisitProcessesNamed(name, [&](CEnumProcess& walker, const CEnumProcess::CProcessEntry& entry) {
        if (!sameFolder) {
            running = true;
            return true;
        }
        // The folder is what precedes the program file's name, wherever else the searched
        // text occurs in the path.
        CEnumProcess::CModuleEntry module;
        if (walker.GetModuleFirst(entry.processId, module)) {
            const CString folder = FolderOf(module.pathText);
            running = !folder.IsEmpty() && folder.CompareNoCase(FolderOf(GetAppModulePath())) == 0;
        }
        return true;
    });
    return running;
}

bool RelaunchElevated(CWnd* owner, CString parameters, bool exitAfter) {
    const HINSTANCE instance = AfxGetInstanceHandle();
    const CString file = GetAppModulePath();
    CString directory;
    GetModuleFolder(instance, directory);
    HWND ownerWindow = nullptr;
    if (owner && AfxIsValidAddress(owner, sizeof(CWnd), FALSE))
        ownerWindow = owner->GetSafeHwnd();
    const wchar_t* verb = GetOsMajorVersion() < 6 ? L"open" : L"runas";
    const bool started = reinterpret_cast<INT_PTR>(RunShellCommand(
                             ownerWindow, verb, file, parameters, directory, SW_SHOWNORMAL)) > 32;
    if (started && exitAfter) {
        PostQuitMessage(0);
        if (!ownerWindow)
            ExitProcess(0);
        SendMessageW(ownerWindow, WM_QUIT, 0, 0);
    }
    return started;
}
