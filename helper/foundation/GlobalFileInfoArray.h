// A sorted array of file records filled by a recursive folder walk with progress and cancel.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>

#include "GlobalFileInfo.h"

// Sort orders of CGlobalFileInfoArray::AddSorted.
enum FileSortOrder {
    kSortNone = 0,
    kSortSizeUp = 2,
    kSortSizeDown = 3,
    kSortPathUp = 4,
    kSortPathDown = 5,
};

struct FolderWalkRequest {
    CString folder; // ends in a backslash
    CString mask;   // files only; folders are never filtered
    BOOL recurse;
    int sortOrder;
    BOOL includeFolders;
    const volatile LONG* cancel; // may be null; non-zero stops the walk
    volatile LONG* progress;     // may be null; one more for every record added
};

class CGlobalFileInfoArray : public CArray<CGlobalFileInfo, CGlobalFileInfo&> {
public:
    CGlobalFileInfoArray();
    ~CGlobalFileInfoArray() override;

    // Inserts a copy before the first record of equal or later order; returns its index.
    virtual INT_PTR AddSorted(CGlobalFileInfo& record, int sortOrder);
    INT_PTR AddFile(const CString& path, int sortOrder);
    // Subfolders are walked before a folder's own files; returns the records added.
    int EnumFolder(FolderWalkRequest request);
};
