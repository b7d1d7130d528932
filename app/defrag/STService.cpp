#include "STService.h"

#include "SystemInfo.h"

#include <owners/WinOwners.h>

#include <algorithm>

namespace {

bool QueryProcessStatus(SC_HANDLE service, SERVICE_STATUS_PROCESS& status) {
    DWORD needed = 0;
    return QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof status, &needed) != FALSE;
}

// Waits while the service reports a pending start, as long as its checkpoint moves within the
// wait hint.
void WaitWhileStarting(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    if (!QueryProcessStatus(service, status))
        return;
    DWORD lastProgress = GetTickCount();
    DWORD checkPoint = status.dwCheckPoint;
    while (status.dwCurrentState == SERVICE_START_PENDING) {
        Sleep(std::clamp<DWORD>(status.dwWaitHint / 10, 1'000, 10'000));
        if (!QueryProcessStatus(service, status))
            return;
        if (status.dwCheckPoint > checkPoint) {
            checkPoint = status.dwCheckPoint;
            lastProgress = GetTickCount();
        } else if (GetTickCount() - lastProgress > status.dwWaitHint) {
            return;
        }
    }
}

} // namespace

bool CSTService::IsServiceActive(const wchar_t* serviceName) {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const ServiceHandle service(
        manager.Get() ? OpenServiceW(manager.Get(), serviceName, SERVICE_ALL_ACCESS) : nullptr);
    SERVICE_STATUS status{};
    if (!service || !QueryServiceStatus(service.Get(), &status))
        return false;
    return status.dwCurrentState != SERVICE_STOPPED &&
           status.dwCurrentState != SERVICE_STOP_PENDING;
}

bool CSTService::StartScheduleService(const wchar_t* serviceName, bool setAutoStart) {
    if (!IsUserAdmin())
        return false;
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const ServiceHandle service(
        manager.Get() ? OpenServiceW(manager.Get(), serviceName, SERVICE_ALL_ACCESS) : nullptr);
    if (!service || IsServiceActive(serviceName))
        return false;
    // A refused start request ends here; the caller learns the state from the service itself.
    if (!StartServiceW(service.Get(), 0, nullptr))
        return true;
    if (setAutoStart)
        (void)ChangeServiceConfigW(service.Get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                   SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
    WaitWhileStarting(service.Get());
    return true;
}
