// The program Xarn started as the scheduler, a user and other programs start it: the drive
// letters its command line stores, the hidden start that never shows a window, a second
// instance, and the service program's process at a normal and at a scheduled exit.
#include <windows.h>

#include <DiskDefragApp.h>
#include <DiskDefragDlg.h>

#include <AppLocations.h>
#include <AppState.h>
#include <ProductIdentity.h>
#include <Registry.h>
#include <ToolsTable.h>

#include "ProgramTestSupport.h"
#include "UnixPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {
constexpr wchar_t kServiceStandInFolder[] = L"C:\\xarn-start-test";

CString StoredLetters() {
    CRegistry key(HKEY_CURRENT_USER);
    CString letters;
    if (!key.Open(HKEY_CURRENT_USER, GetAppRegistryKey(), true) ||
        !key.ReadString(kScheduleDriveLetterValue, letters))
        return L"(none)";
    return letters;
}

void StoreLetters(const wchar_t* letters) {
    CRegistry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, GetAppRegistryKey(), true));
    ASSERT_TRUE(key.WriteString(kScheduleDriveLetterValue, letters));
}

class ProgramStart : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_strAppTitle = GetToolTitle(kDefragToolNumber); }
    const std::wstring program_ = ProgramFolder() + L"Xarn.exe";
};

TEST_F(ProgramStart, ScheduledCommandLinesStoreTheirDriveLetters) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* stored;
    } cases[] = {{L"-autofix -C", L"C"},
                 {L"/SCHEDULE /c/d", L"CD"},
                 {L"-shutdown -D", L"D"},
                 {L"-schedule", L"X"}}; // no letters: the value stays
    for (const auto& c : cases) {
        const std::wstring arguments(c.arguments);
        SCOPED_TRACE(std::string(arguments.begin(), arguments.end()));
        StoreLetters(L"X");
        Process xarn(program_, c.arguments);
        ASSERT_TRUE(xarn.Started());
        ASSERT_NE(MainWindowOf(xarn, 20'000), nullptr);
        EXPECT_STREQ(StoredLetters(), c.stored);
        EXPECT_TRUE(CloseProgram(xarn));
    }
}

TEST_F(ProgramStart, HiddenStartNeverShowsTheMainWindow) {
    Process xarn(program_, L"runhiddenScan");
    ASSERT_TRUE(xarn.Started());
    const ULONGLONG started = GetTickCount64();
    const HWND main = MainWindowOf(xarn, 20'000);
    ASSERT_NE(main, nullptr);
    // It waited before it started, as every start with arguments does.
    EXPECT_GE(GetTickCount64() - started, 4000u);
    for (int poll = 0; poll < 30; ++poll) {
        ASSERT_FALSE(IsWindowVisible(main));
        Sleep(100);
    }
    EXPECT_TRUE(CloseProgram(xarn));
}

TEST_F(ProgramStart, ServiceProgramEndsAtANormalExitOnly) {
    CreateDirectoryW(kServiceStandInFolder, nullptr);
    const std::wstring standIn = std::wstring(kServiceStandInFolder) + L"\\XarnDefragSrv64.exe";
    ASSERT_TRUE(
        CopyFileW(WindowsPathOfUnixFile(XARN_SERVICE_STAND_IN).c_str(), standIn.c_str(), FALSE));

    {
        // A scheduled run (here the cleaning, without drive letters) keeps it.
        Process service(standIn);
        ASSERT_TRUE(service.Started());
        Process xarn(program_, L"-schedule");
        ASSERT_NE(MainWindowOf(xarn, 20'000), nullptr);
        ASSERT_TRUE(CloseProgram(xarn));
        EXPECT_FALSE(service.HasEnded(1000));
    }
    {
        // A second start hands over and ends; neither it nor the first ends the service.
        Process service(standIn);
        Process first(program_);
        ASSERT_NE(MainWindowOf(first, 20'000), nullptr);
        Process second(program_);
        ASSERT_TRUE(second.Started());
        EXPECT_TRUE(second.HasEnded(20'000));
        EXPECT_FALSE(first.HasEnded(0));
        EXPECT_FALSE(service.HasEnded(500));
        // A normal run ends it.
        ASSERT_TRUE(CloseProgram(first));
        EXPECT_TRUE(service.HasEnded(10'000));
    }
    DeleteFileW(standIn.c_str());
    RemoveDirectoryW(kServiceStandInFolder);
}
} // namespace
