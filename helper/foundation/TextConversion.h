// Conversions between wide and 8-bit text in a chosen code page (-1: the system ANSI code page).
#pragma once

#include <windows.h>

// The user default locale's ANSI code page; 0 when it cannot be read.
UINT GetCurrentLocaleCodePage();
// Characters written without the terminator; 0 on failure.
int MultiByteToWide(const char* text, wchar_t* buffer, int bufferChars, int codePage);
// Bytes written without the terminator; 0 on failure. Unmappable characters become "#".
int WideToMultiByte(const wchar_t* text, char* buffer, int bufferBytes, int codePage);
// The bytes WideToMultiByte needs, terminator included.
int WideToMultiByteSize(const wchar_t* text, int codePage);
