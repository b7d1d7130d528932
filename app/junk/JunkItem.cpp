#include "JunkItem.h"

#include <ctime>

#include <classlib/Resources.h>

__int64 FileTimeToLocalSeconds(const FILETIME& time) {
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&time, &local) || !FileTimeToSystemTime(&local, &parts) ||
        parts.wYear < 1900)
        return 0;
    struct tm fields = {};
    fields.tm_year = parts.wYear - 1900;
    fields.tm_mon = parts.wMonth - 1;
    fields.tm_mday = parts.wDay;
    fields.tm_hour = parts.wHour;
    fields.tm_min = parts.wMinute;
    fields.tm_sec = parts.wSecond;
    fields.tm_isdst = -1;
    const __time64_t seconds = _mktime64(&fields);
    return seconds == -1 ? 0 : seconds;
}

CString CJunkItem::GetFolder() const {
    return path.Left(path.ReverseFind(L'\\') + 1);
}

CString CJunkItem::GetFileName() const {
    return path.Mid(path.ReverseFind(L'\\') + 1);
}

CString CJunkItem::GetCategoryText() const {
    const UINT id = 5001 + category;
    CString text;
    if (!text.LoadString(AfxFindResourceHandle(MAKEINTRESOURCEW(id / 16 + 1), RT_STRING), id))
        text.Empty();
    return text;
}
