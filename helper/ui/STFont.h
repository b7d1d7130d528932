// CSTFont: a font made from a font record at construction.
#pragma once

#include <classlib/Gdi.h>

class CSTFont : public CFont {
public:
    explicit CSTFont(const LOGFONTW* font);
    ~CSTFont() override;
};
