// What a duplicate scan leaves out, for the walk and for results loaded from a file alike:
// folders whose path holds an entry of the ignore list, and files of risky types or in the
// foundation's protected places.
#pragma once

#include <classlib/Array.h>
#include <classlib/String.h>

#include <vector>

class CDupeScanFilter {
public:
    // `ignoreList`: folder texts; a path that holds one (in any letter case) is left out.
    explicit CDupeScanFilter(const CStringArray& ignoreList);

    bool LeavesOutFolder(const CString& path) const;
    // `path` is the file's full path, `name` its name.
    bool LeavesOutFile(const CString& path, const CString& name) const;

private:
    std::vector<CString> ignored_; // lower case
};
