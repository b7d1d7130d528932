#include "ServiceStop.h"

#include "ProductNames.h"

#include <classlib/Classlib.h>
#include <owners/WinOwners.h>

#include <shellapi.h>

namespace {

constexpr DWORD kNetStopSettleMs = 1024;
constexpr DWORD kNetStopWaitMs = 4096;
constexpr DWORD kStopControlSettleMs = 2048;

ServiceHandle OpenLocalServiceManager() {
    return ServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | GENERIC_READ));
}

CString SystemDirectory() {
    CString folder;
    const UINT length = GetSystemDirectoryW(folder.GetBuffer(MAX_PATH), MAX_PATH);
    folder.ReleaseBuffer(length < MAX_PATH ? static_cast<int>(length) : 0);
    return folder;
}

} // namespace

void RunNetStop(const wchar_t* serviceName) {
    const CString systemDirectory = SystemDirectory();
    const CString program = systemDirectory + L"\\net.exe";
    CString parameters;
    parameters.Format(L" stop \"%s\" /y ", serviceName);

    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOZONECHECKS;
    execute.hwnd = GetDesktopWindow();
    execute.lpVerb = L"open";
    execute.lpFile = program.GetString();
    execute.lpParameters = parameters.GetString();
    execute.lpDirectory = systemDirectory.GetString();
    execute.nShow = SW_HIDE;
    const bool started = ShellExecuteExW(&execute) != FALSE;
    const KernelHandle process(execute.hProcess);

    Sleep(kNetStopSettleMs);
    if (started && reinterpret_cast<INT_PTR>(execute.hInstApp) >= 32 && process) {
        WaitForSingleObject(process.Get(), kNetStopWaitMs);
    }
}

bool IsServiceActive(const wchar_t* serviceName) {
    const ServiceHandle manager = OpenLocalServiceManager();
    if (!manager) {
        return false;
    }
    const ServiceHandle service(
        OpenServiceW(manager.Get(), serviceName,
                     SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE));
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.Get(), &status)) {
        return false;
    }
    switch (status.dwCurrentState) {
    case SERVICE_START_PENDING:
    case SERVICE_RUNNING:
    case SERVICE_PAUSE_PENDING:
    case SERVICE_PAUSED:
        return true;
    default:
        return false;
    }
}

DWORD MutexProbe(const char* name) {
    // The creation leaves the last error untouched on some systems when the mutex is new.
    SetLastError(ERROR_SUCCESS);
    const KernelHandle mutex(CreateMutexA(nullptr, TRUE, name));
    const DWORD lastError = GetLastError(); // taken before the owner closes the mutex
    return lastError;
}

bool SendStopControl(const wchar_t* serviceName) {
    const ServiceHandle manager = OpenLocalServiceManager();
    if (!manager) {
        return false;
    }
    const ServiceHandle service(OpenServiceW(manager.Get(), serviceName,
                                             GENERIC_EXECUTE | SERVICE_STOP | SERVICE_INTERROGATE));
    if (!service) {
        return false;
    }
    SERVICE_STATUS status{};
    const bool stopAccepted = ControlService(service.Get(), SERVICE_CONTROL_STOP, &status) != FALSE;
    Sleep(0);
    ControlService(service.Get(), SERVICE_CONTROL_INTERROGATE, &status);
    Sleep(0);
    return stopAccepted;
}

bool StopServiceBySCM(const wchar_t* serviceName) {
    if (!SendStopControl(serviceName)) {
        return false;
    }
    Sleep(kStopControlSettleMs);
    return !IsServiceActive(serviceName);
}

int StopDefragService() {
    RunNetStop(kServiceName);
    if (IsServiceActive(kServiceName)) {
        StopServiceBySCM(kServiceName);
        Sleep(kStopControlSettleMs);
    }
    // No build of our service creates this mutex; the probe stays so that a service which holds
    // it (the installer may meet an older one) is still stopped.
    if (MutexProbe(kServiceProbeMutexName) != ERROR_SUCCESS) {
        StopServiceBySCM(kServiceName);
        Sleep(kStopControlSettleMs);
    }
    Sleep(0);
    if (MutexProbe(kServiceProbeMutexName) != ERROR_SUCCESS) {
        StopServiceBySCM(kServiceName);
    }
    return 1;
}
