// CStringBool: a text shown on the drive settings page and its flag.
#pragma once

#include <windows.h>

#include <classlib/String.h>

class CStringBool {
public:
    CStringBool() = default;
    CStringBool(const CString& entryText, BOOL entryFlag) : text(entryText), flag(entryFlag) {}

    CString text;
    BOOL flag = FALSE;
};
