// CTime (seconds since 1970, shown in local time), CTimeSpan, and COleDateTime (the
// automation DATE: days since 30 December 1899 with the time of day as the fraction).
//
// CTime is inline: an impossible date or a file time that Windows cannot convert throws
// CInvalidArgException in the caller's module. COleDateTime never throws: it records an
// impossible date in its status.
#pragma once

#include <windows.h>

#include <ctime>
#include <cwchar>

#include "Exceptions.h"
#include "Export.h"
#include "String.h"

// winbase.h maps GetCurrentTime to GetTickCount; the time classes have their own.
#undef GetCurrentTime

class CTimeSpan {
public:
    CTimeSpan() = default;
    CTimeSpan(__time64_t time) : m_timeSpan(time) {}
    CTimeSpan(LONG lDays, int nHours, int nMins, int nSecs)
        : m_timeSpan(nSecs + 60 * (nMins + 60 * (nHours + 24 * static_cast<__time64_t>(lDays)))) {}

    LONGLONG GetDays() const { return m_timeSpan / (24 * 3600); }
    LONGLONG GetTotalHours() const { return m_timeSpan / 3600; }
    LONG GetHours() const { return static_cast<LONG>(GetTotalHours() - GetDays() * 24); }
    LONGLONG GetTotalMinutes() const { return m_timeSpan / 60; }
    LONG GetMinutes() const { return static_cast<LONG>(GetTotalMinutes() - GetTotalHours() * 60); }
    LONGLONG GetTotalSeconds() const { return m_timeSpan; }
    LONG GetSeconds() const { return static_cast<LONG>(m_timeSpan - GetTotalMinutes() * 60); }
    __time64_t GetTimeSpan() const { return m_timeSpan; }

    CTimeSpan operator+(CTimeSpan span) const { return m_timeSpan + span.m_timeSpan; }
    CTimeSpan operator-(CTimeSpan span) const { return m_timeSpan - span.m_timeSpan; }
    auto operator<=>(const CTimeSpan&) const = default;

private:
    __time64_t m_timeSpan = 0;
};

class CTime {
public:
    CTime() = default;
    CTime(__time64_t time) : m_time(time) {}
    // A local time; nDST: 1 daylight saving, 0 standard, -1 let the runtime decide.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1) {
        if (nYear < 1900 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 || nHour < 0 ||
            nHour > 23 || nMin < 0 || nMin > 59 || nSec < 0 || nSec > 59)
            AfxThrowInvalidArgException();
        struct tm local = {};
        local.tm_year = nYear - 1900;
        local.tm_mon = nMonth - 1;
        local.tm_mday = nDay;
        local.tm_hour = nHour;
        local.tm_min = nMin;
        local.tm_sec = nSec;
        local.tm_isdst = nDST;
        m_time = _mktime64(&local);
        if (m_time == -1)
            AfxThrowInvalidArgException();
    }
    // A local SYSTEMTIME; a year before 1900 gives time 0.
    CTime(const SYSTEMTIME& st, int nDST = -1) {
        if (st.wYear >= 1900)
            *this = CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST);
    }
    // A file time (UTC), taken as local time.
    CTime(const FILETIME& ft, int nDST = -1) {
        FILETIME local;
        SYSTEMTIME st;
        if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st))
            AfxThrowInvalidArgException();
        *this = CTime(st, nDST);
    }

    static CTime GetCurrentTime() { return CTime(_time64(nullptr)); }

    __time64_t GetTime() const { return m_time; }
    // The broken-down local (or UTC) time; throws when the runtime cannot convert it.
    struct tm* GetLocalTm(struct tm* ptm) const {
        if (!ptm || _localtime64_s(ptm, &m_time) != 0)
            AfxThrowInvalidArgException();
        return ptm;
    }
    struct tm* GetGmtTm(struct tm* ptm) const {
        if (!ptm || _gmtime64_s(ptm, &m_time) != 0)
            AfxThrowInvalidArgException();
        return ptm;
    }
    bool GetAsSystemTime(SYSTEMTIME& st) const {
        struct tm local;
        if (_localtime64_s(&local, &m_time) != 0)
            return false;
        st = {};
        st.wYear = static_cast<WORD>(local.tm_year + 1900);
        st.wMonth = static_cast<WORD>(local.tm_mon + 1);
        st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
        st.wDay = static_cast<WORD>(local.tm_mday);
        st.wHour = static_cast<WORD>(local.tm_hour);
        st.wMinute = static_cast<WORD>(local.tm_min);
        st.wSecond = static_cast<WORD>(local.tm_sec);
        return true;
    }
    int GetYear() const { return Local().tm_year + 1900; }
    int GetMonth() const { return Local().tm_mon + 1; }
    int GetDay() const { return Local().tm_mday; }
    int GetHour() const { return Local().tm_hour; }
    int GetMinute() const { return Local().tm_min; }
    int GetSecond() const { return Local().tm_sec; }
    int GetDayOfWeek() const { return Local().tm_wday + 1; } // 1 = Sunday

    // wcsftime formats of the local (or UTC) time, in the runtime's current locale.
    CString Format(LPCWSTR pszFormat) const {
        struct tm local;
        return FormatTm(pszFormat, *GetLocalTm(&local));
    }
    CString FormatGmt(LPCWSTR pszFormat) const {
        struct tm utc;
        return FormatTm(pszFormat, *GetGmtTm(&utc));
    }

    CTimeSpan operator-(CTime time) const { return CTimeSpan(m_time - time.m_time); }
    CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTimeSpan()); }
    CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTimeSpan()); }
    CTime& operator+=(CTimeSpan span) {
        m_time += span.GetTimeSpan();
        return *this;
    }
    CTime& operator-=(CTimeSpan span) {
        m_time -= span.GetTimeSpan();
        return *this;
    }
    auto operator<=>(const CTime&) const = default;

private:
    struct tm Local() const {
        struct tm local;
        GetLocalTm(&local);
        return local;
    }
    static CString FormatTm(LPCWSTR pszFormat, const struct tm& when) {
        if (!pszFormat || !*pszFormat)
            return CString();
        wchar_t buffer[256];
        const size_t n = wcsftime(buffer, 256, pszFormat, &when);
        return CString(buffer, static_cast<int>(n));
    }

    __time64_t m_time = 0;
};

class XARN_CLASSLIB_API COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    COleDateTime(DATE dtSrc) : m_dt(dtSrc) {}
    COleDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
        SetDateTime(nYear, nMonth, nDay, nHour, nMin, nSec);
    }
    COleDateTime(const SYSTEMTIME& st) {
        SetDateTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    }
    // Seconds since 1970, taken as local time.
    COleDateTime(__time64_t time);

    static COleDateTime GetCurrentTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    operator DATE() const { return m_dt; }

    // 0 when set; 1 (and the status invalid) for a date outside the years 100 to 9999 or an
    // impossible day or time.
    int SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    int SetDate(int nYear, int nMonth, int nDay) {
        return SetDateTime(nYear, nMonth, nDay, 0, 0, 0);
    }
    int SetTime(int nHour, int nMin, int nSec) {
        return SetDateTime(1899, 12, 30, nHour, nMin, nSec);
    }

    // The parts of a valid date; -1 otherwise.
    bool GetAsSystemTime(SYSTEMTIME& st) const;
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday

    // The locale's text of the date and time (VarBstrFromDate with these flags and locale);
    // "Invalid DateTime" when invalid, empty when null.
    CString Format(DWORD dwFlags = 0, LCID lcid = LANG_USER_DEFAULT) const;
    // A wcsftime format of the date and time; "Invalid DateTime" when invalid, empty when null.
    CString Format(LPCWSTR pszFormat) const;

    bool operator==(const COleDateTime& other) const {
        return m_status == other.m_status && m_dt == other.m_dt;
    }
    bool operator<(const COleDateTime& other) const;
    bool operator>(const COleDateTime& other) const { return other < *this; }
    bool operator<=(const COleDateTime& other) const { return !(other < *this); }
    bool operator>=(const COleDateTime& other) const { return !(*this < other); }

    DATE m_dt = 0;
    DateTimeStatus m_status = valid;
};
