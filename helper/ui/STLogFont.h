// CSTLogFont: a font record that starts as the product's UI font.
#pragma once

#include <windows.h>

struct CSTLogFont : LOGFONTW {
    CSTLogFont();
    CSTLogFont(LPCWSTR face, LONG height, bool bold, BYTE underline);
};
