// CTime, CTimeSpan and COleDateTime: ranges, conversions and formatting.
#include <classlib/Classlib.h>

#include <gtest/gtest.h>

#include "Throws.h"

#include <string>

namespace {

TEST(CTimeTest, LocalPartsRoundTripAndFormat) {
    const CTime t(2026, 12, 8, 14, 30, 5);
    EXPECT_EQ(2026, t.GetYear());
    EXPECT_EQ(12, t.GetMonth());
    EXPECT_EQ(8, t.GetDay());
    EXPECT_EQ(14, t.GetHour());
    EXPECT_EQ(30, t.GetMinute());
    EXPECT_EQ(5, t.GetSecond());
    EXPECT_EQ(3, t.GetDayOfWeek()); // Tuesday
    EXPECT_EQ(L"Dec 08, 2026 14:30:05", std::wstring(t.Format(L"%b %d, %Y %H:%M:%S")));
    EXPECT_EQ(L"2026-12-08  14:30:05", std::wstring(t.Format(L"%Y-%m-%d  %H:%M:%S")));
    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(2026, st.wYear);
    EXPECT_EQ(5, st.wSecond);
    EXPECT_EQ(t, CTime(st));
    EXPECT_EQ(L"", std::wstring(t.Format(L"")));
}

TEST(CTimeTest, RangesAndConversionFailures) {
    SYSTEMTIME old = {};
    old.wYear = 1899;
    old.wMonth = 12;
    old.wDay = 31;
    EXPECT_EQ(0, CTime(old).GetTime()); // before 1900 gives 0
    EXPECT_TRUE(ThrowsInvalidArg([] { CTime(2026, 13, 1, 0, 0, 0); }));
    EXPECT_TRUE(ThrowsInvalidArg([] { CTime(2026, 1, 1, 24, 0, 0); }));
    EXPECT_TRUE(ThrowsInvalidArg([] { CTime(1850, 1, 1, 0, 0, 0); }));
    FILETIME bad = {0xFFFFFFFF, 0xFFFFFFFF}; // Windows cannot convert it
    EXPECT_TRUE(ThrowsInvalidArg([&] { CTime{bad}; }));
}

TEST(CTimeTest, FromFileTimeIsLocalTime) {
    SYSTEMTIME utc = {};
    utc.wYear = 2024;
    utc.wMonth = 2;
    utc.wDay = 29;
    utc.wHour = 12;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    FILETIME localFt;
    SYSTEMTIME local;
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &localFt));
    ASSERT_TRUE(FileTimeToSystemTime(&localFt, &local));
    const CTime t(ft);
    EXPECT_EQ(local.wDay, t.GetDay());
    EXPECT_EQ(local.wHour, t.GetHour());
}

TEST(CTimeTest, SpansAndArithmetic) {
    const CTime a(2026, 1, 1, 0, 0, 0);
    const CTime b = a + CTimeSpan(1, 2, 3, 4);
    const CTimeSpan d = b - a;
    EXPECT_EQ(93784, d.GetTotalSeconds());
    EXPECT_EQ(1, d.GetDays());
    EXPECT_EQ(2, d.GetHours());
    EXPECT_EQ(3, d.GetMinutes());
    EXPECT_EQ(4, d.GetSeconds());
    EXPECT_EQ(26, d.GetTotalHours());
    EXPECT_LT(a, b);
    EXPECT_LE(CTime::GetCurrentTime().GetTime() - _time64(nullptr), 1);
}

TEST(COleDateTimeTest, DayNumbersAndParts) {
    EXPECT_EQ(0.0, COleDateTime(1899, 12, 30, 0, 0, 0).m_dt);
    EXPECT_EQ(36526.0, COleDateTime(2000, 1, 1, 0, 0, 0).m_dt);
    EXPECT_EQ(36526.5, COleDateTime(2000, 1, 1, 12, 0, 0).m_dt);
    EXPECT_EQ(-1.25, COleDateTime(1899, 12, 29, 6, 0, 0).m_dt);
    const COleDateTime t(2026, 12, 8, 14, 30, 5);
    EXPECT_EQ(COleDateTime::valid, t.GetStatus());
    EXPECT_EQ(2026, t.GetYear());
    EXPECT_EQ(12, t.GetMonth());
    EXPECT_EQ(8, t.GetDay());
    EXPECT_EQ(14, t.GetHour());
    EXPECT_EQ(30, t.GetMinute());
    EXPECT_EQ(5, t.GetSecond());
    EXPECT_EQ(3, t.GetDayOfWeek());
    const COleDateTime before(1899, 12, 29, 6, 0, 0);
    EXPECT_EQ(29, before.GetDay());
    EXPECT_EQ(6, before.GetHour());
    EXPECT_LT(COleDateTime(1899, 12, 29, 18, 0, 0), COleDateTime(1899, 12, 30, 1, 0, 0));
    EXPECT_LT(COleDateTime(1899, 12, 29, 6, 0, 0), COleDateTime(1899, 12, 29, 18, 0, 0));
}

TEST(COleDateTimeTest, ImpossibleDatesAreInvalid) {
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(2026, 2, 29, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::valid, COleDateTime(2024, 2, 29, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(99, 1, 1, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(10000, 1, 1, 0, 0, 0).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(2026, 1, 1, 0, 60, 0).GetStatus());
    COleDateTime t;
    EXPECT_EQ(1, t.SetDateTime(2026, 4, 31, 0, 0, 0));
    EXPECT_EQ(-1, t.GetYear());
    EXPECT_EQ(0, t.SetDate(2026, 4, 30));
    EXPECT_EQ(30, t.GetDay());
}

TEST(COleDateTimeTest, FormatsForALocaleAndByPattern) {
    const COleDateTime t(2026, 12, 8, 14, 30, 5);
    EXPECT_EQ(L"12/8/2026 2:30:05 PM", std::wstring(t.Format(0, MAKELCID(0x409, SORT_DEFAULT))));
    EXPECT_EQ(L"Tue 2026-12-08 14:30:05", std::wstring(t.Format(L"%a %Y-%m-%d %H:%M:%S")));
    COleDateTime bad(2026, 2, 30, 0, 0, 0);
    EXPECT_EQ(L"Invalid DateTime", std::wstring(bad.Format()));
    EXPECT_EQ(L"Invalid DateTime", std::wstring(bad.Format(L"%Y")));
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    EXPECT_EQ(L"", std::wstring(none.Format()));
    const COleDateTime now = COleDateTime::GetCurrentTime();
    EXPECT_EQ(COleDateTime::valid, now.GetStatus());
    EXPECT_GE(now.GetYear(), 2024);
    EXPECT_EQ(COleDateTime(static_cast<__time64_t>(CTime(2026, 12, 8, 14, 30, 5).GetTime())), t);
}

} // namespace
