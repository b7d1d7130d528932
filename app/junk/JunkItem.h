// CJunkItem: one file or empty folder that a junk scan found.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include "FileIdentity.h"

// Categories of a found item.
enum JunkCategory : int {
    kJunkFile = 0,
    kTempFile = 1,
    kZeroLengthFile = 2,
    kEmptyFolder = 3,
};

// A file time as local seconds since 1970; 0 when it cannot be converted or its local year is
// before 1900, so that one odd time stamp never ends a scan.
__int64 FileTimeToLocalSeconds(const FILETIME& time);

class CJunkItem {
public:
    CJunkItem() = default;

    CString GetPath() const { return path; }
    // The path up to and including its last backslash.
    CString GetFolder() const;
    // The text after the last backslash.
    CString GetFileName() const;
    // The category's text from the string table (empty for an empty folder).
    CString GetCategoryText() const;
    void SetPath(const CString& text) { path = text; }
    void SetSize(ULONGLONG bytes) { size = bytes; }
    bool IsEmptyFolderItem() const { return category == kEmptyFolder; }

    __int64 created = 0;
    __int64 accessed = 0;
    __int64 written = 0;
    // An empty folder's path ends with a backslash.
    CString path;
    ULONGLONG size = 0;
    int iconIndex = 0;
    int locationIndex = 0;
    int category = kJunkFile;
    bool checked = true;
    // What the scan found at the path; the cleaning removes only that very item, unchanged.
    FileIdentity identity;
    // Set by a cleaning that found another item, or this one changed, at the path; such an
    // item is never removed and is no longer checked.
    bool changedSinceScan = false;
};
