// Ending and finding running programs by a part of their file name, and restarting the
// program with administrator rights.
#pragma once

#include <windows.h>

#include <classlib/String.h>

class CWnd;

// Ends (exit code 666) every process whose program file name contains `name` in any letter
// case; false for an empty name or when processes cannot be listed.
[[nodiscard]] bool KillProcessesByName(CString name);
// Whether a process whose program file name contains `name` runs; with `sameFolder`, only
// when the first such process runs from this program's folder. With a non-zero interval, a
// call within that many milliseconds of the last check answers true without looking.
bool IsProcessRunning(CString name, DWORD interval, bool sameFolder);
// Starts this program again ("runas" from Windows Vista on) with the parameters; with
// `exitAfter` this process then quits. True when the new process was started.
[[nodiscard]] bool RelaunchElevated(CWnd* owner, CString parameters, bool exitAfter);
