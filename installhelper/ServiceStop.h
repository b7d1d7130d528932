// Stops the defragmentation service: through "net stop" first, then through the Service
// Control Manager while the service still runs or its program still holds the probe mutex.
#pragma once

#include <windows.h>

// Always 1: a missing service or denied access only makes the steps do nothing.
int StopDefragService();

// Runs the system's "net.exe stop <service> /y" hidden and waits a little for it.
void RunNetStop(const wchar_t* serviceName);

// True while the service is starting, running, pausing or paused.
bool IsServiceActive(const wchar_t* serviceName);

// Creates and closes a mutex of the given name; the last error of the creation, so non-zero
// means some process holds a mutex of that name.
DWORD MutexProbe(const char* name);

// Sends the stop control; true when it was accepted and the service no longer runs 2 s later.
bool StopServiceBySCM(const wchar_t* serviceName);

// Sends the stop control followed by an interrogation; true when the stop was accepted.
bool SendStopControl(const wchar_t* serviceName);
