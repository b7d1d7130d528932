// The short texts of the disk tables: sizes, copies into fixed fields, and the trace lines.
#pragma once

#include <cstdint>

#include <classlib/String.h>

#include <windows.h>

// "%0.0f B" below base, then "%0.1f KB", "MB", "GB" and "TB" (base 1000 or 1024).
void FormatSizeShort(uint32_t base, uint64_t value, wchar_t (&output)[32]);

// Copies text into a fixed field, cut to fit and always terminated.
template <size_t N> void SetField(wchar_t (&field)[N], const wchar_t* text) {
    lstrcpynW(field, text ? text : L"", static_cast<int>(N));
}

// Formats at most 4,093 characters, appends "\r\n" and writes the line to the debugger output.
void DiskInfoTrace(const wchar_t* format, ...);

// Blanks between groups of three digits, counted from the end or from a "." ("1234567" gives
// "1 234 567"); blanks at both ends trimmed.
CString InsertThousandSeparators(const CString& number);
