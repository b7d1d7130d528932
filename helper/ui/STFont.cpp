#include "STFont.h"

CSTFont::CSTFont(const LOGFONTW* font) {
    CreateFontIndirect(font);
}

CSTFont::~CSTFont() = default;
