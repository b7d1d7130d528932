// The junk cleaner's fixed tables: default masks, built-in exclusions, protected extensions
// and the masks too broad to add.
#pragma once

#include <windows.h>

#include <classlib/String.h>

struct DefaultJunkMask {
    const wchar_t* text;
    DWORD flags;
};

extern const DefaultJunkMask kDefaultJunkMasks[41];
// Never stored in the registry; merged into the ignore list at every load and scan start.
extern const wchar_t* const kBuiltInIgnorePatterns[54];
// Refused by the add-mask dialog (compared exactly).
extern const wchar_t* const kOverBroadMasks[13];

// True when the mask, or one of its ";"-separated patterns, has no literal part: made of "*",
// "?" and "." alone ("*", "*.*", "?*", "*.?*"), it matches every name or nearly so.
bool IsCatchAllMask(const CString& mask);

// The 98 types that are never junk: the foundation's 95 risky types and three more.
bool IsProtectedExtension(const CString& fileName);
bool IsBuiltInIgnorePattern(const wchar_t* pattern);
