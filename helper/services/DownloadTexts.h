// The downloader's texts: language texts of the section "Pelq" with their %1..%3 filled in,
// and system error texts.
#pragma once

#include <windows.h>

#include <classlib/String.h>

// The text of `key` in the section "Pelq" with %1, %2 and %3 replaced in one pass, so an
// argument that itself holds "%2" stays as it is.
CString FormatPelqText(LPCWSTR key, const CString& first = CString(),
                       const CString& second = CString(), const CString& third = CString());

// The system's text for `code`, looked up also in the loaded module `module` when one is
// given; WinInet's extended error (12003) gives the server's own last response text.
void FormatSystemError(CString& text, DWORD code, LPCWSTR module);
// FormatSystemError of a WinInet error.
CString InternetErrorText(DWORD code);
// FormatSystemError of a file error.
CString FileErrorText(DWORD code);
