// CJunkMask: a file-name pattern of the junk scan and its flags (2 x kind + enabled bit).
#pragma once

#include <windows.h>

#include <classlib/String.h>

class CJunkMask {
public:
    CJunkMask() = default;
    CJunkMask(const CString& maskText, DWORD maskFlags) : text(maskText), flags(maskFlags) {}

    // Only kinds 0 to 2 with the enabled bit take part in a scan.
    bool IsEnabled() const { return flags == 1 || flags == 3 || flags == 5; }

    CString text;
    DWORD flags = 0;
};
