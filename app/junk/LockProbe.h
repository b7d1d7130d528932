// The scan's locked-file and link tests of one file, answered by a single open where that is
// enough.
#pragma once

#include <windows.h>

class CFolderReach;

// 0 when nothing else holds the file and it can be opened for reading and writing (its
// attributes included), as the foundation's IsFileLocked answers; anything else when it is
// locked, gone or cannot be tested. `attributes` are the file's as its folder listing gave them.
[[nodiscard]] int ProbeFileLock(const wchar_t* path, DWORD attributes);

// True when the file `name` of `folder` (full path `path`) is free by ProbeFileLock and is
// reached as named, neither a link nor through one.
[[nodiscard]] bool IsFreeAndReachedAsNamed(const wchar_t* path, const wchar_t* name,
                                           DWORD attributes, CFolderReach& folder);
