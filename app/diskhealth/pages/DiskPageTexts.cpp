#include "DiskPageTexts.h"

#include <IniReader.h>
#include <VantorixApp.h>

#include <classlib/App.h>

CString PelqText(LPCWSTR key) {
    return GetLangString(key, L"Pelq");
}

CString YesNoText(bool yes) {
    return PelqText(yes ? L"IDS_YES" : L"IDS_NO");
}

void SetControlTexts(CWnd* page, LPCWSTR section, const ControlTextKey* keys, size_t count) {
    for (size_t i = 0; i < count; ++i)
        page->SetDlgItemText(keys[i].id, AppText(keys[i].key, section));
}
