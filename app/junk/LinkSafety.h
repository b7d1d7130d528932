// Tests that keep the junk cleaner on the folders it was given: a file or folder reached through
// a junction, a symbolic link or any other reparse point is neither listed nor deleted.
#pragma once

#include <windows.h>

// True when the entry itself is a reparse point (never descended into or taken as an item).
inline bool IsReparsePointEntry(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// True when the path or a folder on its way is a reparse point, that is when the system
// resolves it to another place than its own name; also when that cannot be told.
[[nodiscard]] bool IsReachedThroughLink(const wchar_t* path);

// Deletes a file for good through a handle opened on the path itself, after checking that the
// path is not reached through a link; the last error tells why when it fails.
[[nodiscard]] BOOL DeleteFileNotThroughLink(const wchar_t* path);

// True only when the path is known to be gone (not found), not when it merely cannot be read.
[[nodiscard]] bool IsPathGone(const wchar_t* path);
