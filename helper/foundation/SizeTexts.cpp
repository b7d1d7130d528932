#include "SizeTexts.h"

#include "IniReader.h"

#include <algorithm>

void FormatSizeWithUnits(CString& text, bool wholeNumbers, ULONGLONG bytes) {
    const CString bytesWord = L" " + GetLangString(L"IDS_BYTES_STR", L"Pelq");
    const CString kilobytesWord = L" " + GetLangString(L"IDS_KB_STR", L"Pelq");
    const CString megabytesWord = L" " + GetLangString(L"IDS_MB_STR", L"Pelq");
    const CString gigabytesWord = L" " + GetLangString(L"IDS_GB_STR", L"Pelq");

    // The first step up is at 1,204 bytes, not 1,024.
    if (bytes < 1204) {
        text.Format(L"%d", static_cast<int>(static_cast<DWORD>(bytes)));
        text += bytesWord;
        return;
    }
    // Kilobytes and megabytes: whole units when asked for, two decimals otherwise.
    auto inUnit = [&](ULONGLONG wholeUnits, float units, const CString& word) {
        if (wholeNumbers)
            text.Format(L"%d", static_cast<int>(wholeUnits));
        else
            text.Format(L"%0.2f", static_cast<double>(units));
        text += word;
    };
    const float kilobytes = static_cast<float>(bytes) / 1024.0f;
    if (kilobytes < 1204.0f) {
        inUnit(bytes / 1024, kilobytes, kilobytesWord);
        return;
    }
    const float megabytes = kilobytes / 1024.0f;
    if (megabytes < 1024.0f) {
        inUnit(bytes / 1048576, megabytes, megabytesWord);
        return;
    }
    text.Format(L"%0.2f", static_cast<double>(megabytes / 1024.0f));
    text += gigabytesWord;
}

void SortStringArray(CStringArray& array, bool descending, bool caseSensitive) {
    if (array.IsEmpty())
        return;
    CString* first = array.GetData();
    std::stable_sort(first, first + array.GetSize(), [&](const CString& a, const CString& b) {
        const int order = caseSensitive ? a.Compare(b) : a.CompareNoCase(b);
        return descending ? order > 0 : order < 0;
    });
}

bool StringArrayContains(const CStringArray& array, LPCWSTR text, bool fromEnd) {
    const INT_PTR count = array.GetSize();
    for (INT_PTR i = 0; i < count; ++i) {
        if (array[fromEnd ? count - 1 - i : i].CompareNoCase(text) == 0)
            return true;
    }
    return false;
}

wchar_t* FormatNumberGrouped(LONGLONG value, wchar_t* buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return buffer;
    wchar_t leadingZero[4] = {};
    wchar_t decimalSeparator[5] = {};
    wchar_t thousandSeparator[5] = {};
    wchar_t negativeOrder[4] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_ILZERO, leadingZero, 4);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimalSeparator, 5);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousandSeparator, 5);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_INEGNUMBER, negativeOrder, 4);
    NUMBERFMTW format{};
    format.NumDigits = 0;
    format.LeadingZero = static_cast<UINT>(_wtoi(leadingZero));
    format.Grouping = 3;
    format.lpDecimalSep = decimalSeparator;
    format.lpThousandSep = thousandSeparator;
    format.NegativeOrder = static_cast<UINT>(_wtoi(negativeOrder));
    wchar_t digits[32];
    _snwprintf(digits, 32, L"%I64d", value);
    digits[31] = L'\0';
    if (GetNumberFormatW(LOCALE_USER_DEFAULT, 0, digits, &format, buffer, capacity) == 0)
        buffer[0] = L'\0';
    return buffer;
}
