#include "LastScanValues.h"

#include "AppLocations.h"
#include "Paths.h"
#include "Registry.h"
#include "SystemInfo.h"

CString LastScanKeyPath() {
    CString path = GetAppRegistryKey();
    AppendPath(path, L"LastScanStatus");
    return path;
}

void LoadLastScanTexts(LastScanTexts& texts, const CString& notPerformed) {
    struct Value {
        const wchar_t* name;
        CString* text;
    };
    const Value values[] = {
        {kLastScanStatusLine1, &texts.statusLine1},
        {kLastScanStatusLine2, &texts.statusLine2},
        {kLastScanDate, &texts.date},
        {kLastScanDrive, &texts.drive},
        {kLastScanVolumeResult, &texts.volumeResult},
        {kLastScanDataResult, &texts.dataResult},
    };
    for (const Value& value : values)
        *value.text = notPerformed;
    CRegistry key(HKEY_CURRENT_USER);
    key.SetAccess(KEY_READ);
    if (!key.Open(HKEY_CURRENT_USER, LastScanKeyPath(), false))
        return;
    for (const Value& value : values) {
        CString read;
        if (key.ValueExists(value.name) && key.ReadString(value.name, read))
            *value.text = read;
    }
}

bool SaveLastScanText(const wchar_t* valueName, const CString& text) {
    CRegistry key(HKEY_CURRENT_USER);
    key.SetAccess(KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
    return key.Open(HKEY_CURRENT_USER, LastScanKeyPath(), true) && key.WriteString(valueName, text);
}

bool SaveLastScanDate(CString& date) {
    FormatCurrentDateTime(date);
    return SaveLastScanText(kLastScanDate, date);
}
