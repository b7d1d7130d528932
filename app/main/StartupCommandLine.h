// Reading the main program's command line at start: the scheduling switches, the drive letters
// of a scheduled optimisation and the hidden start.
#pragma once

#include <classlib/String.h>

// The command line lower-cased and trimmed, every "-" and "/" a blank.
CString NormalizeCommandLine(const CString& commandLine);
// " shutdown", " autofix" or " schedule" in a normalised command line.
bool HasSchedulingSwitch(const CString& normalizedCommandLine);
// Element `index` of the command line (0 the program), empty when there is none.
CString CommandLineElement(const wchar_t* commandLine, int index);
// The element without "\", "/" and "-", upper-cased: "/c/d" gives "CD".
CString ScheduleLettersFromElement(const CString& element);
// The element, without "\", "/" and "-", is "runhiddenScan" in any letter case.
bool IsHiddenScanElement(const CString& element);

// What the program's start reads of its own command line.
struct StartupSwitches {
    // " shutdown", " autofix" or " schedule" appears.
    bool scheduling = false;
    // The drive letters of a scheduled optimisation (the third element), only with a
    // scheduling switch; empty when there is none.
    CString scheduleLetters;
    // The second element is "runhiddenScan".
    bool hiddenScan = false;
    // Anything follows the program's name.
    bool hasArguments = false;
};
StartupSwitches ReadStartupSwitches(const wchar_t* commandLine);
