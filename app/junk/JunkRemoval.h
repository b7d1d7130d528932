// One chosen item on its way out of a cleaning: what the deletion thread decided about it, and
// what the removal step made of it.
#pragma once

#include "HeldItem.h"

#include <classlib/String.h>

class CJunkItem;

struct JunkRemoval {
    CJunkItem* item = nullptr;
    int index = 0;    // in the found list
    int position = 0; // in the chosen order
    bool forGood = false;
    bool taken = false; // the step ran (a stop leaves the rest of a round untaken)
    ItemOutcome outcome = ItemOutcome::kFailed;
    CHeldItem held; // an item for the Recycle Bin, still held
    // An item removed for good: where it was, and what it was.
    CString literalPath;
    FileIdentity identity;
};
