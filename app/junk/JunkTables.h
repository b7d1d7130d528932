// The junk cleaner's fixed tables: default masks, built-in exclusions, protected extensions
// and the masks too broad to add.
#pragma once

#include <windows.h>

struct DefaultJunkMask {
    const wchar_t* text;
    DWORD flags;
};

extern const DefaultJunkMask kDefaultJunkMasks[41];
// Never stored in the registry; merged into the ignore list at every load and scan start.
extern const wchar_t* const kBuiltInIgnorePatterns[54];
// Lower case, without the dot: a file with one of them is never junk.
extern const wchar_t* const kProtectedExtensions[98];
// Refused by the add-mask dialog (compared exactly).
extern const wchar_t* const kOverBroadMasks[13];

bool IsProtectedExtension(const wchar_t* lowerExtension);
bool IsBuiltInIgnorePattern(const wchar_t* pattern);
