// The scan's locked-file test of a candidate file, by one open of the file itself through its
// literal path (any name, any length); the same open tells whether it is reached as named and
// what it is.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "FileIdentity.h"

// 0 when nothing else holds the file and it can be opened for reading and writing (a read-only
// file: for reading and for its attributes, which the foundation's test rewrites first), as the
// foundation's IsFileLocked answers; 1 when it is locked, gone or cannot be tested.
// `attributes` are the file's as its folder listing gave them.
[[nodiscard]] int ProbeFileLock(const CString& path, DWORD attributes);

// True when the file at `path` is free by ProbeFileLock and is a plain file reached as named
// (neither a link nor through one). `identity` holds what the folder listing gave for it; when
// the listing could not number the item (`identified` false), the open reads the whole identity.
[[nodiscard]] bool ProbeCandidate(const CString& path, DWORD attributes, bool identified,
                                  FileIdentity& identity);
