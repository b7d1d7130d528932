// Paths as the cleaners hand them to the system: literal, in the long-path form, so that a name
// with a trailing dot or blank and a path over MAX_PATH characters reach the file system exactly
// as listed; and names compared as the file system compares them.
#pragma once

#include <classlib/String.h>

// The long-path form of an absolute path: "C:\a\b" gives "\\?\C:\a\b", "\\server\share\a"
// gives "\\?\UNC\server\share\a", and a path already in that form stays as it is. "/" counts as
// "\"; a drive without its backslash ("C:") names the drive's root ("\\?\C:\"); one final
// backslash is dropped except after a root. Empty when the path is not absolute, or holds an
// empty, "." or ".." component or a character no name can hold (":" past the drive, wildcards,
// control characters): the system would take such a path to some other item than it names.
CString ToLiteralPath(const CString& path);

// The literal form of a path with generated short (8.3) names spelled out; the literal form
// itself when it has none or they cannot be resolved (the item is not there).
CString ToLongLiteralPath(const CString& path);

// The ordinary form of a path (a literal path loses its prefix); for display, and for calls
// that cannot take the long-path form.
CString ToOrdinaryPath(const CString& path);

// True when the ordinary form of the path names what its literal form names: shorter than
// MAX_PATH, and no component that the system would rewrite (a trailing dot or blank) or take
// for a device ("nul", "con.txt", "com1", ...).
bool IsOrdinaryFormFaithful(const CString& path);

// Orders two names (or paths) as the file system does: ordinal, ignoring letter case.
// Negative, 0 or positive.
int CompareFileNames(const wchar_t* left, const wchar_t* right);
inline bool SameFileName(const wchar_t* left, const wchar_t* right) {
    return CompareFileNames(left, right) == 0;
}

// True when `path` is `folder` or lies below it, component by component as the file system
// compares names; false when either is not a literal-capable absolute path.
bool IsPathWithin(const CString& path, const CString& folder);
// True when `path` lies below `folder`, not being `folder` itself; as IsPathWithin otherwise.
bool IsPathBelow(const CString& path, const CString& folder);
