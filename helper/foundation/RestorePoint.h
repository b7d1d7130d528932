// System Restore points before changes to the system, at most one per 25 hours; the time of
// the last one is kept under the product key's "SYSRES".
#pragma once

#include <windows.h>

#include <classlib/String.h>

// Makes a restore point with the description (or the product's standard one when empty)
// through the System Restore client when one is due. True when none was due or the point was
// made; false when it could not be made.
[[nodiscard]] bool CreateRestorePoint(CString description);
// True when no restore point was recorded, the clock stands before the recorded one, or at
// least 25 whole hours have passed since it.
bool IsRestorePointDue();
// Records the current UTC time as the last restore point's.
[[nodiscard]] bool SaveRestorePointTime();
// The recorded time; false unless exactly the 16 bytes of a SYSTEMTIME are stored.
[[nodiscard]] bool ReadRestorePointTime(SYSTEMTIME& time);
