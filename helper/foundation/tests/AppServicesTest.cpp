// The application's texts and settings reached through the application object, and the
// launcher status read back with the application's "not yet" texts.
#include "ConfigurationManager.h"
#include "IniReader.h"
#include "LauncherStatus.h"
#include "TestSupport.h"
#include "VantorixApp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CString g_lastReport;

void CaptureReport(const CString& message) {
    g_lastReport = message;
}

// An application with a settings cache of its own title, as InitInstance would make it; one
// exists at a time. Its settings key is removed again.
class ServicesApp : public CVantorixApp {
public:
    explicit ServicesApp(const CString& title) : CVantorixApp(title, L"pelq.ini") {
        key_ = L"Software\\Halvenor\\Xarn\\" + std::wstring(title.GetString());
        HKEY key;
        RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr);
        RegCloseKey(key);
        m_pSettings = CreateConfigurationManager(title);
    }
    ~ServicesApp() override { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

private:
    std::wstring key_;
};

CString UniqueTitle() {
    static int serial = 0;
    CString title;
    title.Format(L"ServicesTest %lu-%d", GetCurrentProcessId(), ++serial);
    return title;
}

class AppServices : public ::testing::Test {
protected:
    void SetUp() override {
        g_lastReport.Empty();
        SetLangTextFailureReporter(&CaptureReport);
    }
    void TearDown() override {
        SetLangTextFailureReporter(nullptr);
        for (const wchar_t* name : {L"DiskDefrag", L"MemoryOptimize"})
            RegDeleteTreeW(
                HKEY_CURRENT_USER,
                (std::wstring(L"Software\\Halvenor\\Xarn\\ScanStatusForLauncher\\") + name)
                    .c_str());
    }
};

} // namespace

TEST_F(AppServices, TextsComeFromTheCurrentOrTheGivenSection) {
    ServicesApp app(UniqueTitle());
    EXPECT_EQ(CString(L"No backup made yet"), app.GetLangString(L"IDS_NO_BACKUP"));
    EXPECT_EQ(CString(L"No backup made yet"), app.GetLangStringA("IDS_NO_BACKUP"));

    app.SetLangSection(L"Elsewhere");
    EXPECT_EQ(CString(L"No backup made yet"), app.GetLangString(L"IDS_NO_BACKUP", L"Pelq"));
    EXPECT_TRUE(g_lastReport.IsEmpty());
    EXPECT_TRUE(app.GetLangString(L"IDS_NO_BACKUP", L"").IsEmpty());
    EXPECT_NE(-1, g_lastReport.Find(L"Section : Elsewhere"));
    EXPECT_TRUE(app.GetLangStringA(nullptr).IsEmpty());
}

TEST_F(AppServices, SettingsOfEveryKindRoundTrip) {
    ServicesApp app(UniqueTitle());
    EXPECT_EQ(0u, app.GetSettingDword(L"Missing"));
    EXPECT_STREQ(L"", app.GetSettingString(L"Missing"));
    EXPECT_EQ(0, app.GetSettingInt(L"Missing"));
    DWORD value = 7;
    EXPECT_FALSE(app.ReadSettingDword(L"Missing", value));

    EXPECT_TRUE(app.SetSettingDword(L"Count", 1234));
    EXPECT_EQ(1234u, app.GetSettingDword(L"Count"));
    EXPECT_TRUE(app.ReadSettingDword(L"Count", value));
    EXPECT_EQ(1234u, value);

    EXPECT_TRUE(app.SetSettingString(L"Name", L"drive C"));
    EXPECT_STREQ(L"drive C", app.GetSettingString(L"Name"));
    EXPECT_TRUE(app.ReadSettingString(L"Name", L"drive C"));

    EXPECT_TRUE(app.SetSettingInt(L"Offset", -42));
    EXPECT_EQ(-42, app.GetSettingInt(L"Offset"));
    EXPECT_STREQ(L"-42", app.GetSettingString(L"Offset"));

    EXPECT_TRUE(app.SetSettingQword(L"Bytes", 0x123456789ABCDEF0ull));
    EXPECT_EQ(0x123456789ABCDEF0ull, app.GetSettingQword(L"Bytes"));
}

TEST_F(AppServices, FiveNumberTextsStayValidAtOnce) {
    ServicesApp app(UniqueTitle());
    LPCWSTR texts[5];
    for (int index = 0; index < 6; ++index)
        ASSERT_TRUE(app.SetSettingDword((L"N" + std::to_wstring(index)).c_str(),
                                        static_cast<DWORD>(100 + index)));
    for (int index = 0; index < 5; ++index)
        texts[index] = app.GetSettingNumberText((L"N" + std::to_wstring(index)).c_str());
    for (int index = 0; index < 5; ++index)
        EXPECT_STREQ(std::to_wstring(100 + index).c_str(), texts[index]);
    // A sixth text takes the first one's slot; the four others stay.
    EXPECT_STREQ(L"105", app.GetSettingNumberText(L"N5"));
    for (int index = 1; index < 5; ++index)
        EXPECT_STREQ(std::to_wstring(100 + index).c_str(), texts[index]);
}

TEST_F(AppServices, WithoutSettingsCacheNothingIsReadOrWritten) {
    CVantorixApp app;
    EXPECT_FALSE(app.SetSettingDword(L"Count", 1));
    EXPECT_EQ(0u, app.GetSettingDword(L"Count"));
    EXPECT_STREQ(L"", app.GetSettingString(L"Count"));
    EXPECT_STREQ(L"0", app.GetSettingNumberText(L"Count"));
}

TEST_F(AppServices, LauncherStatusReadsStoredValuesOrTheNotYetText) {
    ServicesApp app(UniqueTitle());
    DWORD icon = 9;
    EXPECT_EQ(CString(L"Memory not optimized yet"), ReadLauncherStatus(10, icon, false, false));
    EXPECT_EQ(9u, icon);
    EXPECT_EQ(CString(L"No scan performed yet"), ReadLauncherStatus(7, icon, false, false));
    EXPECT_EQ(CString(L"No uninstall performed yet"), ReadLauncherStatus(19, icon, false, false));
    EXPECT_EQ(CString(L"No backup made yet"), ReadLauncherStatus(15, icon, false, false));
    // The home page shows nothing for a tool that has not run.
    EXPECT_TRUE(ReadLauncherStatus(10, icon, true, false).IsEmpty());
    // A number that names no tool has no status of its own.
    EXPECT_EQ(CString(L"No scan performed yet"), ReadLauncherStatus(42, icon, false, false));

    const COleDateTime lastRun(2026, 3, 7, 14, 5, 9);
    WriteLauncherStatus(7, 1, L"Drive C: optimized", L"Optimized", lastRun);
    EXPECT_EQ(CString(L"Drive C: optimized"), ReadLauncherStatus(7, icon, false, false));
    EXPECT_EQ(1u, icon);
    EXPECT_EQ(CString(L"Optimized"), ReadLauncherStatus(7, icon, true, false));
    EXPECT_EQ(lastRun.Format(0, LOCALE_USER_DEFAULT), ReadLauncherStatus(7, icon, false, true));

    WriteLauncherStatus(10, 0, L"", L"", COleDateTime());
    EXPECT_EQ(CString(L"Memory not optimized yet"), ReadLauncherStatus(10, icon, false, false));
    EXPECT_EQ(0u, icon);
    EXPECT_TRUE(ReadLauncherStatus(10, icon, false, true).IsEmpty());
    EXPECT_TRUE(g_lastReport.IsEmpty());
}
