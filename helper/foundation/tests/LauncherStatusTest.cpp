// Launcher status values under the product key, per tool.
#include "LauncherStatus.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const wchar_t* kLauncherKey = L"Software\\Halvenor\\Xarn\\ScanStatusForLauncher";

std::wstring ModuleKey(const wchar_t* name) {
    return std::wstring(kLauncherKey) + L"\\" + name;
}

bool ReadText(const std::wstring& key, const wchar_t* name, std::wstring& text) {
    wchar_t buffer[512];
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return false;
    text = buffer;
    return true;
}

DWORD ValueCount(const std::wstring& key) {
    HKEY opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 0;
    DWORD values = 0;
    RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(opened);
    return values;
}

// Removes the launcher keys this test writes.
class LauncherStatus : public ::testing::Test {
protected:
    void TearDown() override {
        for (const wchar_t* name : {L"DiskDefrag", L"DupeFiles", L"SysClean"})
            RegDeleteTreeW(HKEY_CURRENT_USER, ModuleKey(name).c_str());
    }
};

} // namespace

TEST_F(LauncherStatus, ModuleKeysOfTheSuitesTools) {
    EXPECT_EQ(CString(L"DiskDefrag"), GetModuleStatusKey(7));
    EXPECT_EQ(CString(L"DupeFiles"), GetModuleStatusKey(9));
    EXPECT_EQ(CString(L"SysClean"), GetModuleStatusKey(17));
    for (int module : {3, 4, 5, 6, 8, 10, 11, 12, 15, 16, 19, 23})
        EXPECT_FALSE(GetModuleStatusKey(module).IsEmpty()) << module;
    for (int module : {-1, 0, 1, 2, 13, 14, 18, 20, 24, 1000})
        EXPECT_TRUE(GetModuleStatusKey(module).IsEmpty()) << module;
}

TEST_F(LauncherStatus, WritesIconMessagesAndTheDateText) {
    const COleDateTime lastRun(2026, 3, 7, 14, 5, 9);
    WriteLauncherStatus(7, 1, L"Drive C: optimized", L"Optimized", lastRun);
    const std::wstring key = ModuleKey(L"DiskDefrag");
    DWORD icon = 0, size = sizeof icon;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"iconStatus",
                                          RRF_RT_REG_DWORD, nullptr, &icon, &size));
    EXPECT_EQ(1u, icon);
    std::wstring text;
    ASSERT_TRUE(ReadText(key, L"MSG", text));
    EXPECT_EQ(L"Drive C: optimized", text);
    ASSERT_TRUE(ReadText(key, L"MSGOnHome", text));
    EXPECT_EQ(L"Optimized", text);
    ASSERT_TRUE(ReadText(key, L"LastScanDateTime", text));
    EXPECT_EQ(std::wstring(lastRun.Format(0, LOCALE_USER_DEFAULT).GetString()), text);
    EXPECT_NE(std::wstring::npos, text.find(L"2026")) << text.size();
}

TEST_F(LauncherStatus, ZeroDateWritesNoDateAndKeepsTheOldOne) {
    WriteLauncherStatus(9, 0, L"3 duplicates", L"", COleDateTime(2026, 1, 2, 3, 4, 5));
    WriteLauncherStatus(9, 1, L"none", L"", COleDateTime());
    const std::wstring key = ModuleKey(L"DupeFiles");
    std::wstring text;
    ASSERT_TRUE(ReadText(key, L"MSG", text));
    EXPECT_EQ(L"none", text);
    ASSERT_TRUE(ReadText(key, L"MSGOnHome", text));
    EXPECT_EQ(L"", text);
    EXPECT_TRUE(ReadText(key, L"LastScanDateTime", text));

    WriteLauncherStatus(17, 0, L"junk", L"junk", COleDateTime());
    EXPECT_FALSE(ReadText(ModuleKey(L"SysClean"), L"LastScanDateTime", text));
}

TEST_F(LauncherStatus, InvalidDateIsWrittenAsSuch) {
    COleDateTime invalid;
    invalid.SetDateTime(2026, 2, 30, 0, 0, 0);
    invalid.m_dt = 1.0;
    WriteLauncherStatus(17, 0, L"junk", L"junk", invalid);
    std::wstring text;
    ASSERT_TRUE(ReadText(ModuleKey(L"SysClean"), L"LastScanDateTime", text));
    EXPECT_EQ(L"Invalid DateTime", text);
}

TEST_F(LauncherStatus, UnknownModuleWritesNothing) {
    const DWORD before = ValueCount(kLauncherKey);
    WriteLauncherStatus(42, 1, L"stray", L"stray", COleDateTime(2026, 1, 1, 0, 0, 0));
    EXPECT_EQ(before, ValueCount(kLauncherKey));
    std::wstring text;
    EXPECT_FALSE(ReadText(kLauncherKey, L"MSG", text));
}

TEST_F(LauncherStatus, WithoutApplicationNoNotYetText) {
    DWORD icon = 3;
    EXPECT_TRUE(ReadLauncherStatus(10, icon, false, false).IsEmpty());
    EXPECT_EQ(3u, icon);
}
