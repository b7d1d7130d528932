#include "DiskTexts.h"

#include <classlib/String.h>

#include <cstdarg>

void FormatSizeShort(uint32_t base, uint64_t value, wchar_t (&output)[32]) {
    static const wchar_t* const kUnits[] = {L"KB", L"MB", L"GB", L"TB"};
    CString text;
    if (value < base) {
        text.Format(L"%0.0f B", static_cast<double>(value));
    } else {
        double scaled = static_cast<double>(value) / base;
        size_t unit = 0;
        while (unit < 3 && scaled >= base) {
            scaled /= base;
            ++unit;
        }
        text.Format(L"%0.1f %s", scaled, kUnits[unit]);
    }
    SetField(output, text);
}

void DiskInfoTrace(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    CString line;
    line.FormatV(format, args);
    va_end(args);
    if (line.GetLength() > 4093)
        line = line.Left(4093);
    line += L"\r\n";
    OutputDebugStringW(line);
}

CString InsertThousandSeparators(const CString& number) {
    CString text(number);
    if (text.GetLength() > 3) {
        int counter = 1;
        for (int i = text.GetLength() - 1; i >= 0; --i) {
            if (text[i] == L'.')
                counter = 0;
            if (counter == 3) {
                text.Insert(i, L' ');
                counter = 0;
            }
            ++counter;
        }
    }
    text.Trim(L' ');
    return text;
}
