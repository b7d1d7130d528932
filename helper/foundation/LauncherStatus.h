// The launcher status of each of the maker's tools: the icon, the messages and the time of
// its last run, kept per user under the product key's "ScanStatusForLauncher".
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <classlib/Time.h>

// The tool's sub-key name; empty for a number that names no tool.
CString GetModuleStatusKey(int module);
// The page message (or with `home` the home message), or with `wantDate` the last run's date
// text; the icon status comes back in `iconStatus` when stored. A page message never stored is
// the application's language text saying the tool has not run yet.
CString ReadLauncherStatus(int module, DWORD& iconStatus, bool home, bool wantDate);
// Writes the status; the time only when it is not zero. Nothing for an unknown module.
void WriteLauncherStatus(int module, int iconStatus, CString pageMessage, CString homeMessage,
                         COleDateTime lastRun);
