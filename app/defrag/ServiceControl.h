// Making sure the defragmentation service exists and runs before a command is sent.
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <owners/WinOwners.h>

inline constexpr wchar_t kDefragServiceName[] = L"XarnStellmark";

// The service program of this Windows: "XarnDefragSrv64.exe" on 64-bit Windows (a 32-bit build
// under WOW64, or a 64-bit build), else "XarnDefragSrv.exe".
const wchar_t* DefragServiceProgramName();

// The main window's service record: the Service Control Manager opened with all access for the
// record's lifetime, and the service opened anew before each command.
class ServiceHandles {
public:
    ServiceHandles();

    // Opens the service with all access, replacing (and closing) the handle held before.
    [[nodiscard]] bool ReopenService();
    SC_HANDLE Service() const { return service_.Get(); }
    SC_HANDLE Manager() const { return manager_.Get(); }

private:
    // The service is declared last, so that it is closed before the manager.
    ServiceHandle manager_;
    ServiceHandle service_;
};

enum ServiceConfigureMode { kServiceStart = 0 };

// Start mode: a stopped service is set to start automatically and started, a paused one is
// continued, one running or changing state counts as done.
[[nodiscard]] bool ConfigureService(const wchar_t* serviceName, ServiceConfigureMode mode);

// Up to 10 rounds 500 ms apart: starts a stopped service, true once it runs or is paused.
[[nodiscard]] bool EnsureServiceRunning(SC_HANDLE service);

// Starts the service, or when that fails starts the service program in `programFolder` with
// "-install", waits 2,048 ms and tries once more.
[[nodiscard]] bool InstallDefragService(const CString& programFolder);

// Exit code of the program when Windows is in the middle of installing updates.
constexpr int kExitCodeUpdatesPending = 18;

// When "winsxs\pending.xml" exists in the Windows folder on Windows Vista or later, posts the
// quit message with exit code 18 and nothing else; otherwise restarts Windows (enabling the
// shut-down privilege first) and posts WM_CLOSE to the main window.
void RestartWindows(HWND mainWindow);

// Enables "SeShutdownPrivilege" in the token; true when it could be enabled.
[[nodiscard]] bool EnableShutdownPrivilege(HANDLE token);
