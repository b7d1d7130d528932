#include "ServiceStop.h"

#include "ProductNames.h"

#include <classlib/Classlib.h>

#include <shellapi.h>

namespace {

constexpr DWORD kNetStopSettleMs = 1024;
constexpr DWORD kNetStopWaitMs = 4096;
constexpr DWORD kStopControlSettleMs = 2048;

// Closes a service handle when it goes out of scope.
class ScopedServiceHandle {
public:
    explicit ScopedServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ScopedServiceHandle() {
        if (handle_) {
            CloseServiceHandle(handle_);
        }
    }
    ScopedServiceHandle(const ScopedServiceHandle&) = delete;
    ScopedServiceHandle& operator=(const ScopedServiceHandle&) = delete;
    SC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    SC_HANDLE handle_;
};

ScopedServiceHandle OpenLocalServiceManager() {
    return ScopedServiceHandle(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | GENERIC_READ));
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

    Sleep(kNetStopSettleMs);
    if (started && reinterpret_cast<INT_PTR>(execute.hInstApp) >= 32 && execute.hProcess) {
        WaitForSingleObject(execute.hProcess, kNetStopWaitMs);
    }
    if (execute.hProcess) {
        CloseHandle(execute.hProcess);
    }
}

bool IsServiceActive(const wchar_t* serviceName) {
    ScopedServiceHandle manager = OpenLocalServiceManager();
    if (!manager) {
        return false;
    }
    ScopedServiceHandle service(
        OpenServiceW(manager.get(), serviceName,
                     SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE));
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.get(), &status)) {
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
    HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
    const DWORD lastError = GetLastError();
    if (mutex) {
        CloseHandle(mutex);
    }
    return lastError;
}

bool SendStopControl(const wchar_t* serviceName) {
    ScopedServiceHandle manager = OpenLocalServiceManager();
    if (!manager) {
        return false;
    }
    ScopedServiceHandle service(OpenServiceW(manager.get(), serviceName,
                                             GENERIC_EXECUTE | SERVICE_STOP | SERVICE_INTERROGATE));
    if (!service) {
        return false;
    }
    SERVICE_STATUS status{};
    const bool stopAccepted = ControlService(service.get(), SERVICE_CONTROL_STOP, &status) != FALSE;
    Sleep(0);
    ControlService(service.get(), SERVICE_CONTROL_INTERROGATE, &status);
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
