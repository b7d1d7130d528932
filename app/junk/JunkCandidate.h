// One file the scan's walk matched, waiting for the open that tells whether it is free and is
// what the listing said (see ProbeCandidate) before it joins the found list.
#pragma once

#include "FileIdentity.h"

#include <classlib/String.h>

struct JunkCandidate {
    CString path;
    FileIdentity identity; // as listed; the probe reads the rest when the listing had no number
    bool identified = false;
    ULONGLONG lastAccessTime = 0;
    int locationIndex = 0;
    int category = 0;
    bool passed = false; // the probe's verdict
};
