// The texts of the disk tools' pages by key: the tools' own section, the sections named after
// the dialog templates, and the library's "Pelq" section.
#pragma once

#include <classlib/String.h>
#include <classlib/Window.h>

#include <PageTexts.h>

inline constexpr wchar_t kDiskToolsSection[] = L"DISKDOC";

// The library's language file, section "Pelq" ("IDS_YES", "IDS_NO", "IDS_MB_STR").
CString PelqText(LPCWSTR key);
// "IDS_YES" or "IDS_NO".
CString YesNoText(bool yes);

struct ControlTextKey {
    int id;
    const wchar_t* key;
};
// Sets each control's caption from the page's template section.
void SetControlTexts(CWnd* page, LPCWSTR section, const ControlTextKey* keys, size_t count);
template <size_t N>
void SetControlTexts(CWnd* page, LPCWSTR section, const ControlTextKey (&keys)[N]) {
    SetControlTexts(page, section, keys, N);
}
