// Base of a service program: installs and removes the service, runs it under the Service
// Control Manager (on the consumer Windows family: as a program started from the machine's Run
// value), and reports its states. Exactly one instance per process.
#pragma once

#include <owners/WinOwners.h>

#include <windows.h>

#include <string>

// Windows families the program tells apart; below kOsNt4 is the consumer family.
enum OsClass : int {
    kOsUnknown = 0,
    kOsWindows95 = 1,
    kOsWindows98 = 2,
    kOsWindowsMe = 3,
    kOsNt4 = 4,
    kOsWindows2000 = 5,
    kOsWindowsXp = 6,
    kOsWindows2003 = 7,
    kOsVistaOrLater = 8,
};

int QueryOsClass();

// Exit codes of the service program.
enum ServiceExitCode : int {
    kExitDone = 0,
    kExitUnknownSwitch = 1001,
    kExitNoManager = 1003, // the manager could not be opened, or the service not created
    kExitNotInstalled = 1005,
    kExitNoDispatcher = 1006,
    kExitNoControlHandler = 1007, // reported inside the running service
    kExitInitFailed = 1008,       // reported inside the running service
};

class CServiceTemplate {
public:
    // Throws std::logic_error when an instance already exists.
    CServiceTemplate(HINSTANCE instance, const wchar_t* serviceName, const wchar_t* displayName);
    virtual ~CServiceTemplate();
    CServiceTemplate(const CServiceTemplate&) = delete;
    CServiceTemplate& operator=(const CServiceTemplate&) = delete;

    // Answers the code unchanged; the place to tell about a failure.
    virtual int ReportError(int code) = 0;
    [[nodiscard]] virtual BOOL Pause() = 0;
    [[nodiscard]] virtual BOOL Continue() = 0;
    [[nodiscard]] virtual BOOL Init() = 0;
    [[nodiscard]] virtual BOOL Stop() = 0;

    [[nodiscard]] int Install();
    [[nodiscard]] int Remove();
    // Runs the service until it stops: through the control dispatcher on the NT family.
    [[nodiscard]] int Run();
    void ServiceRun();

    // The service's state as last reported; exitCode_ in it is service-specific.
    const SERVICE_STATUS& Status() const { return status_; }

    // The longest a pending state goes without a new check point.
    static constexpr DWORD kPendingWaitHint = 1000;

protected:
    void SetServiceState(DWORD state, DWORD exitCode, DWORD waitHint);
    // What the manager's control handler does with a control.
    void HandleControl(DWORD control);
    bool IsConsumerWindows() const { return osClass_ < kOsNt4; }

    const int osClass_;
    const std::wstring serviceName_;
    const std::wstring displayName_;
    const std::wstring programPath_;
    KernelHandle serviceStopEvent_; // manual reset: the service's threads end
    // Manual reset, set once a stop has been handled to its end. The service reports stopped
    // only then: Stop() sets serviceStopEvent_ early to end the threads it then waits for, and
    // a program that reports stopped goes on to end its process, under the stop's feet.
    KernelHandle stopHandledEvent_;
    SERVICE_STATUS status_{};
    SERVICE_STATUS_HANDLE statusHandle_ = nullptr;
    DWORD exitCode_ = 0;
    DWORD checkPoint_ = 1;

private:
    static void WINAPI ServiceMain(DWORD argc, wchar_t** argv);
    static void WINAPI ServiceCtrlHandler(DWORD control);
    std::wstring QuotedProgramPath() const;
    [[nodiscard]] int InstallRunValue();
    [[nodiscard]] int RemoveRunValue();

    static CServiceTemplate* instance;
};
