// The six texts that summarise the last analysis or defragmentation, kept under the
// application's "LastScanStatus" key.
#pragma once

#include <classlib/String.h>

struct LastScanTexts {
    CString statusLine1;
    CString statusLine2;
    CString date;
    CString drive;
    CString volumeResult;
    CString dataResult;
};

inline constexpr wchar_t kLastScanStatusLine1[] = L"ScanStatusLine1";
inline constexpr wchar_t kLastScanStatusLine2[] = L"ScanStatusLine2";
inline constexpr wchar_t kLastScanDate[] = L"LastScanDate";
inline constexpr wchar_t kLastScanDrive[] = L"LastScanDrive";
inline constexpr wchar_t kLastScanVolumeResult[] = L"VolFragRes";
inline constexpr wchar_t kLastScanDataResult[] = L"DataFragRes";

// The key's path under HKEY_CURRENT_USER.
CString LastScanKeyPath();

// Every text becomes `notPerformed`, then each value present replaces its text (an empty value
// gives an empty text).
void LoadLastScanTexts(LastScanTexts& texts, const CString& notPerformed);

// Writes one value (the key is created when missing); false when it could not be written.
[[nodiscard]] bool SaveLastScanText(const wchar_t* valueName, const CString& text);

// The date value is the current local time; the text is set whether or not it was written.
[[nodiscard]] bool SaveLastScanDate(CString& date);
