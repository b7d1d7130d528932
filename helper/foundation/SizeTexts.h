// A byte size as text with its unit word from the language file, and two operations on
// string arrays.
#pragma once

#include <windows.h>

#include <classlib/Array.h>
#include <classlib/String.h>

// "1.18 KB"-style texts; with `wholeNumbers` bytes, KB and MB are shown without decimals.
void FormatSizeWithUnits(CString& text, bool wholeNumbers, ULONGLONG bytes);
void SortStringArray(CStringArray& array, bool descending, bool caseSensitive);
bool StringArrayContains(const CStringArray& array, LPCWSTR text, bool fromEnd);

// The value with the user's digit grouping and no decimals ("1,234,567"); an empty text when
// the buffer is too small.
wchar_t* FormatNumberGrouped(LONGLONG value, wchar_t* buffer, int capacity);
