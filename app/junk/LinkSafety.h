// Tests that keep the junk cleaner on the folders it was given: a file or folder reached through
// a junction, a symbolic link or any other reparse point is neither listed nor deleted.
#pragma once

#include <windows.h>

#include <classlib/String.h>
#include <owners/WinOwners.h>

#include <HeldItem.h> // IsPathGone

// True when the entry itself is a reparse point (never descended into or taken as an item).
inline bool IsReparsePointEntry(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// True when the path or a folder on its way is a reparse point, that is when the system
// resolves it to another place than its own name; also when that cannot be told.
[[nodiscard]] bool IsReachedThroughLink(const wchar_t* path);

// Opens the path itself for `access`, never what a final reparse point names.
[[nodiscard]] KernelHandle OpenOwnPath(const wchar_t* path, DWORD access);

// Tells for the files of one folder whether each is reached as named: the folder is tested once,
// on the first file asked about, and each file then by a handle the caller holds on it.
class CFolderReach {
public:
    // `folder` ends with a backslash.
    explicit CFolderReach(const CString& folder) : folder_(folder) {}
    // True when `file`, opened by OpenOwnPath-like means on the folder's entry `name`, is that
    // very entry, neither a link nor reached through one.
    [[nodiscard]] bool ReachesOwnPath(HANDLE file, const wchar_t* name);

private:
    CString folder_;
    bool folderKnown_ = false;
    CString folderFinalPath_; // empty when the folder is reached through a link
};

// Deletes a file for good through a handle opened on the path itself, after checking that the
// path is not reached through a link; the last error tells why when it fails.
[[nodiscard]] BOOL DeleteFileNotThroughLink(const wchar_t* path);
