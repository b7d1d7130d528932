// Counts and sizes as decimal text, for texts and reports.
#pragma once

#include <classlib/String.h>

inline CString DecimalText(unsigned long long value) {
    CString text;
    text.Format(L"%llu", value);
    return text;
}
