// CJunkPattern: a wildcard pattern of the masks or the ignore list, matched as PathMatchSpecW
// does, with the common forms ("*\text\*", "text*", "*.ext", plain text) decided by a text
// search instead of the general matcher, which a scan would call for every file.
#pragma once

#include <windows.h>

#include <classlib/String.h>

class CJunkPattern {
public:
    CJunkPattern() = default;
    // The pattern is lower-cased; the texts it is matched against must be lower-case too.
    explicit CJunkPattern(const CString& pattern);

    bool Matches(const CString& lowerText) const;

private:
    enum Kind { kGeneral, kContains, kPrefix, kSuffix, kExact };

    Kind kind_ = kGeneral;
    CString pattern_;
    CString literal_;
};
