#include "ServiceTemplate.h"

#include "ServiceConsole.h"

#include <stdexcept>
#include <vector>

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kStopPollMilliseconds = 500;
// Removal gives up waiting for a service that never leaves stop-pending.
constexpr int kMaxStopPolls = 120;

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end()); // service names are ASCII
}

std::wstring ModuleFileName(HINSTANCE instance) {
    std::vector<wchar_t> buffer(32'768);
    const DWORD length =
        GetModuleFileNameW(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length < buffer.size() ? length : 0);
}

} // namespace

CServiceTemplate* CServiceTemplate::instance = nullptr;

int QueryOsClass() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version))
        return kOsUnknown;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        switch (version.dwMinorVersion) {
        case 0:
            return kOsWindows95;
        case 10:
            return kOsWindows98;
        case 90:
            return kOsWindowsMe;
        default:
            return kOsUnknown;
        }
    }
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return kOsUnknown;
    if (version.dwMajorVersion >= 6)
        return kOsVistaOrLater;
    if (version.dwMajorVersion == 4)
        return kOsNt4;
    if (version.dwMajorVersion == 5 && version.dwMinorVersion <= 2)
        return kOsWindows2000 + static_cast<int>(version.dwMinorVersion);
    return kOsUnknown;
}

CServiceTemplate::CServiceTemplate(HINSTANCE instance, const wchar_t* serviceName,
                                   const wchar_t* displayName)
    : osClass_(QueryOsClass()), serviceName_(serviceName), displayName_(displayName),
      programPath_(ModuleFileName(instance)) {
    if (CServiceTemplate::instance)
        throw std::logic_error("Second service instance is not allowed!");
    CServiceTemplate::instance = this;
}

CServiceTemplate::~CServiceTemplate() {
    instance = nullptr;
}

// Both the service manager and the Run value take a command line: quoted, a path with spaces
// ("C:\Program Files\...") can never start another program ("C:\Program.exe").
std::wstring CServiceTemplate::QuotedProgramPath() const {
    return L"\"" + programPath_ + L"\"";
}

int CServiceTemplate::Install() {
    if (IsConsumerWindows())
        return InstallRunValue();
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return ReportError(kExitNoManager);
    const std::wstring command = QuotedProgramPath();
    const ServiceHandle service(CreateServiceW(
        manager.Get(), serviceName_.c_str(), displayName_.c_str(), SERVICE_ALL_ACCESS,
        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(),
        nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service)
        return ReportError(kExitNoManager);
    PrintConsole(Narrow(serviceName_) + " service installed.\n");
    return kExitDone;
}

// A Run value that could not be written or removed is reported as such: the installer must not
// take a service that will never start (or one that still starts) for done.
int CServiceTemplate::InstallRunValue() {
    RegistryKey key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.Put(), nullptr) != ERROR_SUCCESS) {
        MessageBoxW(nullptr, L"!!!", L"!!!", MB_OK);
        return ReportError(kExitNoManager);
    }
    const std::wstring command = QuotedProgramPath();
    if (RegSetValueExW(key.Get(), serviceName_.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        return ReportError(kExitNoManager);
    return kExitDone;
}

int CServiceTemplate::Remove() {
    if (IsConsumerWindows())
        return RemoveRunValue();
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return ReportError(kExitNoManager);
    const ServiceHandle service(
        OpenServiceW(manager.Get(), serviceName_.c_str(), SERVICE_ALL_ACCESS));
    if (!service)
        return ReportError(kExitNotInstalled);
    const std::string name = Narrow(serviceName_);
    SERVICE_STATUS status{};
    if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) {
        PrintConsole("Stopping " + name + " service. Please wait.");
        Sleep(kStopPollMilliseconds);
        for (int polls = 0; polls < kMaxStopPolls && QueryServiceStatus(service.Get(), &status) &&
                            status.dwCurrentState == SERVICE_STOP_PENDING;
             ++polls) {
            PrintConsole(".");
            Sleep(kStopPollMilliseconds);
        }
        PrintConsole(status.dwCurrentState == SERVICE_STOPPED ? " stopped.\n" : " failed.\n");
    }
    PrintConsole(DeleteService(service.Get()) ? name + " service removed.\n"
                                              : "Can't remove " + name + " service.\n");
    return kExitDone;
}

int CServiceTemplate::RemoveRunValue() {
    RegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, key.Put()) != ERROR_SUCCESS ||
        RegDeleteValueW(key.Get(), serviceName_.c_str()) != ERROR_SUCCESS)
        return ReportError(kExitNotInstalled);
    return kExitDone;
}

int CServiceTemplate::Run() {
    if (IsConsumerWindows()) {
        ServiceMain(0, nullptr);
        return kExitDone;
    }
    std::wstring name = serviceName_;
    const SERVICE_TABLE_ENTRYW table[] = {{name.data(), ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table))
        return ReportError(kExitNoDispatcher);
    return kExitDone;
}

void WINAPI CServiceTemplate::ServiceMain(DWORD, wchar_t**) {
    CServiceTemplate& self = *instance;
    if (!self.IsConsumerWindows()) {
        self.statusHandle_ =
            RegisterServiceCtrlHandlerW(self.serviceName_.c_str(), ServiceCtrlHandler);
        if (!self.statusHandle_) {
            self.ReportError(kExitNoControlHandler);
            return;
        }
    }
    self.SetServiceState(SERVICE_START_PENDING, 0, kPendingWaitHint);
    self.ServiceRun();
}

void CServiceTemplate::ServiceRun() {
    serviceStopEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stopHandledEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (serviceStopEvent_ && stopHandledEvent_ && Init()) {
        SetServiceState(SERVICE_RUNNING, 0, 0);
        WaitForSingleObject(stopHandledEvent_.Get(), INFINITE);
    } else {
        // The manager reports the code as the start's failure instead of a clean stop.
        exitCode_ = static_cast<DWORD>(ReportError(kExitInitFailed));
    }
    SetServiceState(SERVICE_STOPPED, exitCode_, 0);
}

void CServiceTemplate::SetServiceState(DWORD state, DWORD exitCode, DWORD waitHint) {
    status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status_.dwCurrentState = state;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                         state == SERVICE_PAUSE_PENDING;
    status_.dwControlsAccepted =
        pending ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;
    // The program's own codes are service-specific ones, not system error codes.
    status_.dwWin32ExitCode = exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status_.dwServiceSpecificExitCode = exitCode;
    status_.dwWaitHint = waitHint;
    const bool settled =
        state == SERVICE_STOPPED || state == SERVICE_RUNNING || state == SERVICE_PAUSED;
    status_.dwCheckPoint = settled ? 0 : checkPoint_++;
    if (!IsConsumerWindows())
        SetServiceStatus(statusHandle_, &status_);
}

void WINAPI CServiceTemplate::ServiceCtrlHandler(DWORD control) {
    instance->HandleControl(control);
}

void CServiceTemplate::HandleControl(DWORD control) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        SetServiceState(SERVICE_STOP_PENDING, 0, kPendingWaitHint);
        // The service stops whatever its clean-up came to: the stop event follows at once.
        static_cast<void>(Stop());
        SetEvent(serviceStopEvent_.Get());
        SetEvent(stopHandledEvent_.Get());
        break;
    case SERVICE_CONTROL_PAUSE:
        SetServiceState(SERVICE_PAUSE_PENDING, 0, kPendingWaitHint);
        SetServiceState(Pause() ? SERVICE_PAUSED : SERVICE_RUNNING, 0, 0);
        break;
    case SERVICE_CONTROL_CONTINUE:
        SetServiceState(SERVICE_CONTINUE_PENDING, 0, kPendingWaitHint);
        SetServiceState(Continue() ? SERVICE_RUNNING : SERVICE_PAUSED, 0, 0);
        break;
    default:
        SetServiceState(status_.dwCurrentState, 0, kPendingWaitHint);
        break;
    }
}
