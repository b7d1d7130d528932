// One running instance per application title: the instance mutex, the scheduling switches of
// the command line and their hand-off to the instance that already runs.
#pragma once

#include <windows.h>

#include <classlib/App.h>

class CVantorixApp;

// The application's command line after the program's name (empty before it is known).
CString GetApplicationArguments(const CWinApp* app);

// True when the application's instance mutex already exists (or exists but may not be
// opened). The mutex stays open until ReleaseInstanceMutex or the end of the process.
bool IsAnotherInstanceRunning(CVantorixApp* app);
// Closes this process's handle of the instance mutex, so that a new instance started while
// this one ends (a language switch) finds no running instance.
void ReleaseInstanceMutex();
// Reads "schedule", "autofix" and "shutdown" (with '-' or '/') from the application's
// arguments into the three switch flags; each stronger switch implies the weaker ones.
void ParseCommandLineSwitches(CVantorixApp* app);
// Sends the strongest switch to the running instance's dialog by the hand-off message; its
// lParam is a global atom named "shutdown", "autofix" or "schedulescan", deleted once the
// message returns. False once sent; true when there is no such window or no switch to hand
// over, so the caller starts normally.
[[nodiscard]] bool ForwardCommandToRunningInstance(CVantorixApp* app);
// Shows the running instance's window and brings it to the front.
void ActivateRunningInstance();
// Lets processes of lower integrity send the message (flag 1 adds, 2 removes); 0 before
// Windows Vista.
[[nodiscard]] BOOL AllowWindowMessage(UINT message, DWORD flag);
