// CJunkPattern: a wildcard pattern of the masks or the ignore list, matched as PathMatchSpecW
// does, with the common forms ("*\text\*", "text*", "*.ext", plain text, the last three also
// with "?") decided by a text search instead of the general matcher, which a scan would call for
// every file.
#pragma once

#include <windows.h>

#include <classlib/String.h>

#include <utility>
#include <vector>

class CJunkPattern {
public:
    CJunkPattern() = default;
    // The pattern is lower-cased; the texts it is matched against must be lower-case too.
    explicit CJunkPattern(const CString& pattern);

    bool Matches(const CString& lowerText) const;

    // What the pattern says of the texts that begin with `lowerFolder` (a folder's path with its
    // final backslash): kEvery when each of them matches, kNone when none does, kEach when it
    // depends on the rest; then MatchesFrom tells for one text, searching from `from` on.
    enum class Reach { kNone, kEvery, kEach };
    Reach ReachUnder(const CString& lowerFolder, int& from) const;
    bool MatchesFrom(const CString& lowerText, int from) const;

private:
    enum Kind { kGeneral, kContains, kPrefix, kSuffix, kExact };

    Kind kind_ = kGeneral;
    CString pattern_;
    CString literal_;
    wchar_t upperFirst_ = 0; // the first character, upper-cased, unless it is a wildcard
};

// The patterns of a list as they bear on the entries of one folder: what the folder's path alone
// decides is settled once, and each entry is matched only against the rest, a text pattern only
// over the part of the path where its text could begin.
class CJunkFolderPatterns {
public:
    CJunkFolderPatterns(const std::vector<CJunkPattern>& patterns, const CString& lowerFolder);

    // Whether the lower-case full path of an entry of the folder matches any of the patterns.
    bool Matches(const CString& lowerPath) const;

private:
    bool every_ = false;
    std::vector<std::pair<const CJunkPattern*, int>> each_;
};
