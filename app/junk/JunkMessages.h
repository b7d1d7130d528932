// The registered window messages by which the junk scan and deletion threads report.
#pragma once

#include <windows.h>

struct JunkMessageIds {
    UINT scanFinished;   // posted once at the end of every scan
    UINT scanStopped;    // sent by nothing; the scanning page handles it as scanFinished
    UINT deleteFinished; // wParam: result of the last direct deletion (1 when none)
    UINT scanOutput;     // wParam: the location or folder path, lParam: percent
    UINT deleteOutput;   // wParam: the path being removed, lParam: percent
    UINT locationChange; // wParam: the next location's path
    UINT itemFound;      // wParam: how many items joined the found list since the last one
};

// Registered by name on first use.
const JunkMessageIds& JunkMessages();
