#include "LastScanValues.h"

#include "Registry.h"

#include <gtest/gtest.h>

namespace {

class LastScanValuesTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, LastScanKeyPath()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, LastScanKeyPath()); }
};

TEST_F(LastScanValuesTest, MissingValuesShowNotPerformed) {
    LastScanTexts texts;
    LoadLastScanTexts(texts, L"Not performed");
    EXPECT_STREQ(L"Not performed", texts.statusLine1.GetString());
    EXPECT_STREQ(L"Not performed", texts.dataResult.GetString());
}

TEST_F(LastScanValuesTest, SavedValuesReadBackAsRegSz) {
    ASSERT_TRUE(SaveLastScanText(kLastScanDrive, L"C:\\"));
    ASSERT_TRUE(SaveLastScanText(kLastScanDataResult, L"0.12% "));
    ASSERT_TRUE(SaveLastScanText(kLastScanStatusLine2, L""));
    CString date;
    ASSERT_TRUE(SaveLastScanDate(date));
    EXPECT_FALSE(date.IsEmpty());

    LastScanTexts texts;
    LoadLastScanTexts(texts, L"Not performed");
    EXPECT_STREQ(L"C:\\", texts.drive.GetString());
    EXPECT_STREQ(L"0.12% ", texts.dataResult.GetString()) << "trailing blank kept";
    EXPECT_STREQ(L"", texts.statusLine2.GetString()) << "present but empty";
    EXPECT_STREQ(date.GetString(), texts.date.GetString());
    EXPECT_STREQ(L"Not performed", texts.volumeResult.GetString());

    DWORD type = 0;
    wchar_t data[16];
    DWORD size = sizeof data;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, LastScanKeyPath(), L"LastScanDrive",
                                          RRF_RT_ANY, &type, data, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_STREQ(L"C:\\", data);
}

} // namespace
