// Making sure a Windows service the program relies on (the Task Scheduler's "schedule") runs.
#pragma once

#include <windows.h>

class CSTService {
public:
    // True unless the service cannot be queried or is stopped or stopping.
    static bool IsServiceActive(const wchar_t* serviceName);
    // For an administrator: starts the service when it is not active, optionally sets it to
    // start automatically, and waits while it reports that it is starting. False when nothing
    // was started (not an administrator, no such service, already active).
    static bool StartScheduleService(const wchar_t* serviceName, bool setAutoStart);
};
