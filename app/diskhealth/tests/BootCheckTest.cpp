// Scheduling the boot-time disk check against a seeded "BootExecute" value.
#include <BootCheck.h>
#include <RegistryBootExecuteStore.h>
#include <RegistryLastScanDate.h>

#include <Registry.h>
#include <owners/WinOwners.h>

#include <gtest/gtest.h>

#include <sddl.h>

namespace {

const wchar_t kTestKey[] = L"Software\\XarnDiskHealthTest\\Session Manager";
const wchar_t kDefaultLine[] = L"autocheck autochk *";

class BootCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\XarnDiskHealthTest");
        RegistryKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\XarnDiskHealthTest"); }

    void Seed(const std::vector<std::wstring>& lines) { SeedRaw(JoinMultiString(lines)); }
    void SeedRaw(const std::vector<wchar_t>& data) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kTestKey, kBootExecuteValue, REG_MULTI_SZ,
                                  data.data(), static_cast<DWORD>(data.size() * 2)),
                  ERROR_SUCCESS);
    }
    std::vector<std::wstring> Lines() {
        std::vector<wchar_t> data;
        EXPECT_TRUE(store.Read(data));
        return SplitMultiString(data);
    }

    CRegistryBootExecuteStore store{HKEY_CURRENT_USER, kTestKey};
};

TEST_F(BootCheckTest, ANewLineGoesFirstAndTheValueStaysAMultiString) {
    Seed({kDefaultLine});
    EXPECT_EQ(ScheduleBootCheck(store, L'C', true), BootCheckResult::Scheduled);
    EXPECT_EQ(Lines(), (std::vector<std::wstring>{L"autocheck autochk /r \\??\\C:", kDefaultLine}));
    DWORD type = 0, bytes = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kTestKey, kBootExecuteValue, RRF_RT_ANY, &type,
                           nullptr, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    // Both lines, each with its zero, and the closing zero.
    EXPECT_EQ(bytes, (BootCheckEntry(L'C', true).size() + 1 + wcslen(kDefaultLine) + 1 + 1) * 2);

    EXPECT_EQ(ScheduleBootCheck(store, L'D', false), BootCheckResult::Scheduled);
    EXPECT_EQ(Lines().front(), L"autocheck autochk /p \\??\\D:");
}

TEST_F(BootCheckTest, OneEntryPerDriveWhateverTheModeOrLetterCase) {
    Seed({kDefaultLine});
    EXPECT_EQ(ScheduleBootCheck(store, L'D', true), BootCheckResult::Scheduled);
    EXPECT_EQ(ScheduleBootCheck(store, L'D', true), BootCheckResult::AlreadyScheduled);
    EXPECT_EQ(ScheduleBootCheck(store, L'D', false), BootCheckResult::AlreadyScheduled);
    EXPECT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Lines().front(), L"autocheck autochk /r \\??\\D:");
    // Another tool's line in lower case blocks the drive too.
    Seed({L"autocheck autochk /p \\??\\c:", kDefaultLine});
    EXPECT_EQ(ScheduleBootCheck(store, L'C', true), BootCheckResult::AlreadyScheduled);
    EXPECT_EQ(Lines().front(), L"autocheck autochk /p \\??\\c:");
}

TEST_F(BootCheckTest, AnEmptyOrAbsentValue) {
    SeedRaw({L'\0', L'\0'});
    EXPECT_EQ(ScheduleBootCheck(store, L'E', true), BootCheckResult::Scheduled);
    EXPECT_EQ(Lines(), std::vector<std::wstring>{L"autocheck autochk /r \\??\\E:"});
    EXPECT_EQ(JoinMultiString({}), (std::vector<wchar_t>{L'\0', L'\0'}));
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, kTestKey, kBootExecuteValue), ERROR_SUCCESS);
    EXPECT_EQ(ScheduleBootCheck(store, L'E', true), BootCheckResult::ReadFailed);
}

TEST_F(BootCheckTest, AnOversizedValueIsLeftUntouched) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back(L"autocheck someothertool /x \\??\\Volume" + std::to_wstring(i));
    Seed(lines);
    std::vector<wchar_t> before;
    DWORD bytes = 0;
    RegGetValueW(HKEY_CURRENT_USER, kTestKey, kBootExecuteValue, RRF_RT_ANY, nullptr, nullptr,
                 &bytes);
    ASSERT_GT(bytes, kBootExecuteMaxBytes);
    EXPECT_EQ(ScheduleBootCheck(store, L'C', true), BootCheckResult::ReadFailed);
    DWORD after = 0;
    RegGetValueW(HKEY_CURRENT_USER, kTestKey, kBootExecuteValue, RRF_RT_ANY, nullptr, nullptr,
                 &after);
    EXPECT_EQ(after, bytes);
}

TEST(BootCheckEntryTest, MatchingRules) {
    const std::wstring entry = BootCheckEntry(L'C', false);
    EXPECT_EQ(entry, L"autocheck autochk /p \\??\\C:");
    EXPECT_TRUE(SchedulesDrive(L"AUTOCHECK AUTOCHK /P \\??\\C:", entry, L'C'));
    EXPECT_FALSE(SchedulesDrive(kDefaultLine, entry, L'C'));
    EXPECT_FALSE(SchedulesDrive(L"autocheck autochk /r \\??\\D:", entry, L'C'));
    EXPECT_FALSE(SchedulesDrive(L"autocheck other /r \\??\\C:", entry, L'C'));
    EXPECT_EQ(SplitMultiString({L'a', L'\0', L'\0', L'b', L'\0'}), std::vector<std::wstring>{L"a"});
    EXPECT_EQ(SplitMultiString({L'a', L'b'}), std::vector<std::wstring>{L"ab"});
}

// The page's dialogs, answering as a test tells them.
struct ScriptedDialogs : CDiskCheckDialogs {
    bool cancelMode = false, thorough = true, answerYes = true;
    int noDriveShown = 0;
    std::wstring promptKey;
    std::vector<wchar_t> reported;
    void ShowNoDriveTicked() override { ++noDriveShown; }
    bool ChooseMode(bool& chosen) override {
        chosen = thorough;
        return !cancelMode;
    }
    bool ConfirmRestart(const wchar_t* key) override {
        promptKey = key;
        return answerYes;
    }
    void ShowNotScheduled(const std::vector<wchar_t>& letters) override { reported = letters; }
};

struct CountingDate : CLastScanDateWriter {
    int writes = 0;
    bool Write() override {
        ++writes;
        return true;
    }
};

// A store whose reads or writes fail for some drives' turns.
struct FlakyStore : CBootExecuteStore {
    std::vector<wchar_t> value = JoinMultiString({kDefaultLine});
    int failWriteCall = -1, writes = 0;
    bool failReads = false;
    bool Read(std::vector<wchar_t>& data) override {
        data = value;
        return !failReads;
    }
    bool Write(const std::vector<wchar_t>& data) override {
        if (writes++ == failWriteCall)
            return false;
        value = data;
        return true;
    }
};

TEST(StartDiskCheckTest, PromptsByModeAndCount) {
    EXPECT_STREQ(RestartPromptKey(false, 2), L"RESTARTMSG_MULTIPLE_N");
    EXPECT_STREQ(RestartPromptKey(false, 1), L"RESTARTMSG_SINGLE_N");
    EXPECT_STREQ(RestartPromptKey(true, 3), L"RESTARTMSG_MULTIPLE");
    EXPECT_STREQ(RestartPromptKey(true, 1), L"RESTARTMSG_SINGLE");
    ScriptedDialogs dialogs;
    FlakyStore store;
    CountingDate date;
    StartDiskCheck({}, dialogs, store, date);
    EXPECT_EQ(dialogs.noDriveShown, 1);
    dialogs.cancelMode = true;
    StartDiskCheck({L'C'}, dialogs, store, date);
    EXPECT_TRUE(dialogs.promptKey.empty());
    EXPECT_EQ(date.writes, 0);
}

TEST(StartDiskCheckTest, TheDateIsWrittenOnlyAfterADriveWasScheduled) {
    ScriptedDialogs dialogs;
    FlakyStore store;
    CountingDate date;
    dialogs.answerYes = false;
    dialogs.thorough = false;
    const DiskCheckOutcome declined = StartDiskCheck({L'C', L'D'}, dialogs, store, date);
    EXPECT_EQ(dialogs.promptKey, L"RESTARTMSG_MULTIPLE_N");
    EXPECT_EQ(date.writes, 0);
    EXPECT_TRUE(declined.scheduled.empty());
    EXPECT_EQ(store.writes, 0);

    dialogs.answerYes = true;
    store.failReads = true;
    const DiskCheckOutcome unreadable = StartDiskCheck({L'C'}, dialogs, store, date);
    EXPECT_EQ(date.writes, 0);
    EXPECT_EQ(dialogs.reported, std::vector<wchar_t>{L'C'});
    EXPECT_FALSE(unreadable.dateRecorded);

    store.failReads = false;
    const DiskCheckOutcome done = StartDiskCheck({L'C'}, dialogs, store, date);
    EXPECT_EQ(date.writes, 1);
    EXPECT_TRUE(done.dateRecorded);
    EXPECT_EQ(done.scheduled, std::vector<wchar_t>{L'C'});
}

TEST(StartDiskCheckTest, AFailedWriteIsReportedWithItsDrive) {
    ScriptedDialogs dialogs;
    FlakyStore store;
    CountingDate date;
    store.failWriteCall = 1; // the second drive's write fails
    const DiskCheckOutcome outcome = StartDiskCheck({L'C', L'D', L'E'}, dialogs, store, date);
    EXPECT_EQ(outcome.scheduled, (std::vector<wchar_t>{L'C', L'E'}));
    EXPECT_EQ(dialogs.reported, std::vector<wchar_t>{L'D'});
    EXPECT_EQ(date.writes, 1);
    const std::vector<std::wstring> lines = SplitMultiString(store.value);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"autocheck autochk /r \\??\\E:");
    EXPECT_EQ(lines[1], L"autocheck autochk /r \\??\\C:");
}

TEST_F(BootCheckTest, AKeyThatDoesNotOpenIsNeverWritten) {
    Seed({kDefaultLine});
    CRegistryBootExecuteStore readOnly(HKEY_CURRENT_USER, L"Software\\XarnDiskHealthTest\\Missing");
    EXPECT_EQ(ScheduleBootCheck(readOnly, L'C', true), BootCheckResult::ReadFailed);
    EXPECT_EQ(Lines(), std::vector<std::wstring>{kDefaultLine});
}

TEST_F(BootCheckTest, AKeyThatRefusesWritesIsReportedAndKeepsItsValue) {
    Seed({kDefaultLine});
    // Everyone may read the key but not set its values.
    LocalMemory<PSECURITY_DESCRIPTOR> descriptor;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(D;;0x2;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1, descriptor.Put(), nullptr));
    RegistryKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, WRITE_DAC, key.Put()), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, descriptor.Get()),
              ERROR_SUCCESS);
    key.Reset();
    EXPECT_EQ(ScheduleBootCheck(store, L'C', true), BootCheckResult::WriteFailed);
    EXPECT_EQ(Lines(), std::vector<std::wstring>{kDefaultLine});

    ScriptedDialogs dialogs;
    CountingDate date;
    const DiskCheckOutcome outcome = StartDiskCheck({L'C', L'D'}, dialogs, store, date);
    EXPECT_EQ(dialogs.reported, (std::vector<wchar_t>{L'C', L'D'}));
    EXPECT_EQ(date.writes, 0);
    EXPECT_TRUE(outcome.scheduled.empty());
}

TEST_F(BootCheckTest, LastScanDateIsWrittenUnderTheGivenKey) {
    CRegistryLastScanDate date(HKEY_CURRENT_USER,
                               L"Software\\XarnDiskHealthTest\\LastScanStatusDI");
    ASSERT_TRUE(date.Write());
    CRegistry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(
        key.Open(HKEY_CURRENT_USER, L"Software\\XarnDiskHealthTest\\LastScanStatusDI", false));
    CString text;
    ASSERT_TRUE(key.ReadString(L"LastScanDate", text));
    EXPECT_FALSE(text.IsEmpty());
    EXPECT_NE(text, L"Invalid DateTime");
}

} // namespace
