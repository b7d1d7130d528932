#include "classlib/Time.h"

#include <oleauto.h>

#include <cmath>

namespace {

// A DATE below 0 counts whole days back from 30 December 1899 but the time of day forward
// (-1.25 is 29 December 1899, 06:00), so arithmetic and ordering use a linear day count.
double ToLinear(DATE dt) {
    if (dt >= 0)
        return dt;
    const double whole = std::trunc(dt);
    return whole + (whole - dt);
}

DATE FromLinear(double days) {
    if (days >= 0)
        return days;
    const double whole = std::floor(days);
    return whole - (days - whole);
}

constexpr double kMinDate = -657434.0;        // 1 January 100
constexpr double kMaxDate = 2958465.99999999; // 31 December 9999, 23:59:59

// Days since 30 December 1899 of a date of the proleptic Gregorian calendar.
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569; // 1970-01-01 is day 25569
}

void CivilFromDays(long days, int& y, int& m, int& d) {
    const long z = days - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool IsLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// The parts of a valid date, rounded to the second.
bool SplitDate(const COleDateTime& when, SYSTEMTIME& st) {
    if (when.m_status != COleDateTime::valid || when.m_dt < kMinDate || when.m_dt > kMaxDate)
        return false;
    const double linear = ToLinear(when.m_dt);
    long days = static_cast<long>(std::floor(linear));
    long seconds = std::lround((linear - days) * 86400.0);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    int y, m, d;
    CivilFromDays(days, y, m, d);
    st = {};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    // 30 December 1899 was a Saturday.
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
    st.wHour = static_cast<WORD>(seconds / 3600);
    st.wMinute = static_cast<WORD>(seconds / 60 % 60);
    st.wSecond = static_cast<WORD>(seconds % 60);
    return true;
}

int Part(const COleDateTime& when, WORD SYSTEMTIME::*field) {
    SYSTEMTIME st;
    return SplitDate(when, st) ? st.*field : -1;
}

const wchar_t kInvalidText[] = L"Invalid DateTime";

} // namespace

COleDateTime::COleDateTime(__time64_t time) {
    struct tm local;
    if (_localtime64_s(&local, &time) != 0) {
        m_status = invalid;
        return;
    }
    SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec);
}

COleDateTime COleDateTime::GetCurrentTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return COleDateTime(now);
}

int COleDateTime::SetDateTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    if (nYear < 100 || nYear > 9999 || nMonth < 1 || nMonth > 12 || nDay < 1 ||
        nDay > DaysInMonth(nYear, nMonth) || nHour < 0 || nHour > 23 || nMin < 0 || nMin > 59 ||
        nSec < 0 || nSec > 59) {
        m_dt = 0;
        m_status = invalid;
        return 1;
    }
    const double seconds = nHour * 3600.0 + nMin * 60.0 + nSec;
    m_dt = FromLinear(DaysFromCivil(nYear, nMonth, nDay) + seconds / 86400.0);
    m_status = valid;
    return 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& st) const {
    return SplitDate(*this, st);
}
int COleDateTime::GetYear() const {
    return Part(*this, &SYSTEMTIME::wYear);
}
int COleDateTime::GetMonth() const {
    return Part(*this, &SYSTEMTIME::wMonth);
}
int COleDateTime::GetDay() const {
    return Part(*this, &SYSTEMTIME::wDay);
}
int COleDateTime::GetHour() const {
    return Part(*this, &SYSTEMTIME::wHour);
}
int COleDateTime::GetMinute() const {
    return Part(*this, &SYSTEMTIME::wMinute);
}
int COleDateTime::GetSecond() const {
    return Part(*this, &SYSTEMTIME::wSecond);
}

int COleDateTime::GetDayOfWeek() const {
    const int day = Part(*this, &SYSTEMTIME::wDayOfWeek);
    return day < 0 ? -1 : day + 1;
}

CString COleDateTime::Format(DWORD dwFlags, LCID lcid) const {
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString(kInvalidText);
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDate(m_dt, lcid, dwFlags, &text)))
        return CString(kInvalidText);
    CString result(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return result;
}

CString COleDateTime::Format(LPCWSTR pszFormat) const {
    if (m_status == null)
        return CString();
    SYSTEMTIME st;
    if (!SplitDate(*this, st))
        return CString(kInvalidText);
    if (!pszFormat || !*pszFormat)
        return CString();
    struct tm when = {};
    when.tm_year = st.wYear - 1900;
    when.tm_mon = st.wMonth - 1;
    when.tm_mday = st.wDay;
    when.tm_wday = st.wDayOfWeek;
    when.tm_yday = static_cast<int>(DaysFromCivil(st.wYear, st.wMonth, st.wDay) -
                                    DaysFromCivil(st.wYear, 1, 1));
    when.tm_hour = st.wHour;
    when.tm_min = st.wMinute;
    when.tm_sec = st.wSecond;
    when.tm_isdst = -1;
    wchar_t buffer[256];
    const size_t n = wcsftime(buffer, 256, pszFormat, &when);
    return CString(buffer, static_cast<int>(n));
}

bool COleDateTime::operator<(const COleDateTime& other) const {
    return ToLinear(m_dt) < ToLinear(other.m_dt);
}
