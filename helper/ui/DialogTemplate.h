// Reading a dialog template resource in either form (plain or extended): its style, size,
// font and the controls' places in dialog units.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct DialogTemplateItem {
    DWORD id;
    short x, y, cx, cy;
};

struct DialogTemplateInfo {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool hasMenu = false;
    short cx = 0, cy = 0;
    // The template's font; "Tahoma" 8 points of weight 400 when it names none.
    int points = 8;
    int weight = FW_NORMAL;
    BYTE italic = FALSE;
    std::wstring face = L"Tahoma";
    std::vector<DialogTemplateItem> items;
};

// False when the bytes are not a whole template of either form.
[[nodiscard]] bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplateInfo& info);
