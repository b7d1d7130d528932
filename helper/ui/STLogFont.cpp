#include "STLogFont.h"

#include "UiFonts.h"

CSTLogFont::CSTLogFont() : LOGFONTW{} {
    GetDefaultLogFont(this);
}

CSTLogFont::CSTLogFont(LPCWSTR face, LONG height, bool bold, BYTE underline) : LOGFONTW{} {
    GetDefaultLogFont(this);
    lstrcpynW(lfFaceName, face, LF_FACESIZE);
    lfHeight = height;
    lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lfUnderline = underline;
}
