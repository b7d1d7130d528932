// Version texts of the update check: splitting and comparing four-part versions.
#pragma once

#include <classlib/Array.h>
#include <classlib/String.h>

// Fills `parts` anew. Each delimiter character closes a piece (which may be empty); the last piece
// is always added. A delimiter that is not exactly one character long splits nothing and gives one
// empty piece.
void SplitVersionText(const CString& text, const CString& delimiter, CStringArray& parts);
// The piece at `index`; the empty text outside the pieces.
CString VersionPart(const CStringArray& parts, INT_PTR index);
// Whether the server's version (parts separated by ".") is newer than the local one (parts
// separated by "," or "."): compared part by part, the first difference decides; a missing
// or empty part counts as 0, each part as its leading decimal digits.
bool IsNewerVersion(const CString& serverVersion, const CString& localVersion);
