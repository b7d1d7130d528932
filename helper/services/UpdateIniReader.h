// The updater's own ini reader: values of the update descriptions with their escapes undone.
#pragma once

#include <windows.h>

#include <classlib/String.h>

class CUpdateIniReader {
public:
    void SetFileName(const CString& path) { path_ = path; }
    // The value of `key` in `section`; empty when the file does not exist. "\n", "\t", "\r"
    // and "\\" are replaced in that order, so a backslash followed by "n" is always a line
    // feed, even after an escaped backslash.
    CString GetKeyValue(const CString& key, const CString& section);
    // Characters the last lookup returned, before the escapes were undone.
    DWORD GetLastLength() const { return lastLength_; }

private:
    CString section_;
    DWORD lastLength_ = 0;
    CString path_;
};
