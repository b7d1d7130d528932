// The protected system items: texts that keep a path from being deleted, the extensions that are
// never deleted, and the risky file types.
#pragma once

#include <classlib/Array.h>
#include <classlib/String.h>

// Whether a path lies outside the protected items: a protected file protects an item of its
// name (the path's last component; ".x" entries any name ending so, "x." entries any name
// beginning so); a protected folder protects what lies in a folder of its name, matched as
// whole path components (a folder name that people give their own folders too, such as
// "backup", "help" or "fonts", only inside the system's own trees: the Windows folder, the
// program folders and the application-data folders). Letter case does not count.
// True when the path is outside the protected items and its type may be deleted.
bool IsSafeToDelete(CString path);
// True when the path is outside the protected items.
bool IsOutsideProtectedItems(CString path);
// `path` is lower-cased by the caller. False for the never-deleted extensions and for files the
// system protects; true for a path without extension.
bool IsAllowedFileType(const CString& path);
bool IsRiskyExtension(const CString& path);

void AddCriticalSystemFiles(CStringArray& list);
void AddProtectedFolders(CStringArray& list);
// Fills `list` with every protected text, lower-cased and trimmed.
void BuildProtectedItemList(CStringArray& list);
void DestroyProtectedItemList(CStringArray& list);
// The text lower-cased and trimmed, in one shared buffer valid until the next call.
const CString& NormalizeListEntry(const wchar_t* text);

// The process-wide list, built while the library loads and read-only afterwards.
CStringArray& ProtectedItemList();
