// Small path and list helpers shared by the junk cleaner's parts.
#pragma once

#include <classlib/Array.h>
#include <classlib/String.h>

#include "Paths.h"

// A copy of the path without one final backslash.
inline CString WithoutFinalBackslash(CString path) {
    RemoveTrailingBackslash(path, false);
    return path;
}

// Deletes the objects an array of pointers holds and empties it.
template <typename Array> void DeleteElements(Array& array) {
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        delete array[i];
    array.RemoveAll();
}

// The names of the folders in `parent` (the profiles folder): `currentUser` first, then the
// others in directory order.
CStringArray& ListSubfolders(const CString& parent, const CString& currentUser,
                             CStringArray& names);
