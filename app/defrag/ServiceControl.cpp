#include "ServiceControl.h"

#include "Paths.h"
#include "ShellCommands.h"
#include "SystemInfo.h"

namespace {

constexpr int kEnsureRounds = 10;
constexpr DWORD kEnsureIntervalMs = 500;
constexpr DWORD kInstallWaitMs = 2'048;
constexpr DWORD kRestartReason = 16;

} // namespace

const wchar_t* DefragServiceProgramName() {
    const bool windows64 = sizeof(void*) == 8 || IsWow64Cached();
    return windows64 ? L"XarnDefragSrv64.exe" : L"XarnDefragSrv.exe";
}

ServiceHandles::ServiceHandles()
    : manager_(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}

bool ServiceHandles::ReopenService() {
    service_.Reset();
    if (manager_)
        service_.Reset(OpenServiceW(manager_.Get(), kDefragServiceName, SERVICE_ALL_ACCESS));
    return service_.IsValid();
}

bool ConfigureService(const wchar_t* serviceName, ServiceConfigureMode mode) {
    if (mode != kServiceStart)
        return false;
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return false;
    const ServiceHandle service(OpenServiceW(manager.Get(), serviceName, SERVICE_ALL_ACCESS));
    if (!service)
        return false;
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service.Get(), &status))
        return false;
    switch (status.dwCurrentState) {
    case SERVICE_STOPPED:
        return ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                    SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr) &&
               StartServiceW(service.Get(), 0, nullptr);
    case SERVICE_PAUSED:
        return ControlService(service.Get(), SERVICE_CONTROL_CONTINUE, &status) != FALSE;
    default:
        return true;
    }
}

bool EnsureServiceRunning(SC_HANDLE service) {
    for (int round = 0; round < kEnsureRounds; ++round) {
        SERVICE_STATUS status{};
        if (QueryServiceStatus(service, &status)) {
            if (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_PAUSED)
                return true;
            // Whether the start was accepted shows in the next round's status.
            if (status.dwCurrentState == SERVICE_STOPPED)
                (void)StartServiceW(service, 0, nullptr);
        }
        Sleep(kEnsureIntervalMs);
    }
    return false;
}

bool InstallDefragService(const CString& programFolder) {
    if (ConfigureService(kDefragServiceName, kServiceStart))
        return true;
    CString program = programFolder;
    AppendPath(program, DefragServiceProgramName());
    ShellExecuteSafe(nullptr, L"open", program, L"-install", nullptr, SW_HIDE);
    Sleep(kInstallWaitMs);
    return ConfigureService(kDefragServiceName, kServiceStart);
}

bool EnableShutdownPrivilege(HANDLE token) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return false;
    return AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
}

void RestartWindows(HWND mainWindow) {
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    CString pending(windows, length < MAX_PATH ? static_cast<int>(length) : 0);
    AppendPath(pending, L"winsxs\\pending.xml");
    if (GetFileAttributesW(pending) != INVALID_FILE_ATTRIBUTES && GetOsMajorVersion() > 5) {
        PostQuitMessage(kExitCodeUpdatesPending);
        return;
    }
    KernelHandle token;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) {
        // Without the privilege the request is made all the same; Windows then refuses it.
        (void)EnableShutdownPrivilege(token.Get());
    }
    (void)ExitWindowsEx(EWX_REBOOT, kRestartReason);
    if (mainWindow)
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
}
