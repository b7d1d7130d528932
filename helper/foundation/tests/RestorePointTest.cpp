// Restore points: the 25-hour rule on the recorded time under "SYSRES", and the calls into
// the System Restore client (the stand-in, told to succeed or fail) with their outcome.
#include "RestorePoint.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const wchar_t* kRecordKey = L"Software\\Halvenor\\Xarn\\SYSRES";
constexpr const wchar_t* kRecordValue = L"LastRestorePointTime";

SYSTEMTIME UtcSecondsAgo(LONGLONG seconds) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER stamp{{now.dwLowDateTime, now.dwHighDateTime}};
    stamp.QuadPart -= static_cast<ULONGLONG>(seconds * 10000000);
    const FILETIME then{stamp.LowPart, stamp.HighPart};
    SYSTEMTIME time;
    FileTimeToSystemTime(&then, &time);
    return time;
}

void StoreRecord(const void* bytes, DWORD size) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kRecordKey, kRecordValue,
                                             REG_BINARY, bytes, size));
}

void StoreTime(const SYSTEMTIME& time) {
    StoreRecord(&time, sizeof time);
}

bool RecordExists() {
    return RegGetValueW(HKEY_CURRENT_USER, kRecordKey, kRecordValue, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

std::string ReadLog(const std::wstring& path) {
    return ReadBytes(path);
}

// Keeps the recorded time of the machine and gives each test an empty record and a fresh
// stand-in call log.
class RestorePoints : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The stand-in client lies in a folder of its own beside the programs' folder.
        std::wstring folder = ProgramFolder();
        folder = folder.substr(0, folder.rfind(L'\\')) + L"\\standins";
        ASSERT_TRUE(SetDllDirectoryW(folder.c_str()));
    }
    void SetUp() override {
        savedSize_ = sizeof saved_;
        hadRecord_ = RegGetValueW(HKEY_CURRENT_USER, kRecordKey, kRecordValue, RRF_RT_ANY, nullptr,
                                  saved_, &savedSize_) == ERROR_SUCCESS;
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRecordKey, kRecordValue);
        SetEnvironmentVariableW(L"XARN_SRCLIENT_LOG", log_.c_str());
        SetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", nullptr);
    }
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRecordKey, kRecordValue);
        if (hadRecord_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kRecordKey, kRecordValue, REG_BINARY, saved_,
                            savedSize_);
        SetEnvironmentVariableW(L"XARN_SRCLIENT_LOG", nullptr);
        SetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", nullptr);
    }

    TempFolder folder_;
    std::wstring log_ = folder_ / L"srclient.log";
    BYTE saved_[64];
    DWORD savedSize_ = 0;
    bool hadRecord_ = false;
};

} // namespace

TEST_F(RestorePoints, DueWithoutRecordAndAfterTwentyFiveWholeHours) {
    SYSTEMTIME time;
    EXPECT_FALSE(ReadRestorePointTime(time));
    EXPECT_TRUE(IsRestorePointDue());

    StoreTime(UtcSecondsAgo(24 * 3600 + 59 * 60));
    EXPECT_TRUE(ReadRestorePointTime(time));
    EXPECT_FALSE(IsRestorePointDue());

    StoreTime(UtcSecondsAgo(25 * 3600 - 5));
    EXPECT_FALSE(IsRestorePointDue());
    StoreTime(UtcSecondsAgo(25 * 3600));
    EXPECT_TRUE(IsRestorePointDue());

    // A clock set back before the recorded time.
    StoreTime(UtcSecondsAgo(-3600));
    EXPECT_TRUE(IsRestorePointDue());
}

TEST_F(RestorePoints, RecordOfAnotherSizeIsNoRecord) {
    const SYSTEMTIME recent = UtcSecondsAgo(60);
    StoreRecord(&recent, 15);
    SYSTEMTIME time;
    EXPECT_FALSE(ReadRestorePointTime(time));
    EXPECT_TRUE(IsRestorePointDue());

    BYTE longer[20] = {};
    memcpy(longer, &recent, sizeof recent);
    StoreRecord(longer, sizeof longer);
    EXPECT_FALSE(ReadRestorePointTime(time));
    EXPECT_TRUE(IsRestorePointDue());
}

TEST_F(RestorePoints, SavedTimeIsNowInUtc) {
    const SYSTEMTIME before = UtcSecondsAgo(1);
    ASSERT_TRUE(SaveRestorePointTime());
    SYSTEMTIME stored;
    ASSERT_TRUE(ReadRestorePointTime(stored));
    const SYSTEMTIME after = UtcSecondsAgo(-1);
    FILETIME a, s, b;
    SystemTimeToFileTime(&before, &a);
    SystemTimeToFileTime(&stored, &s);
    SystemTimeToFileTime(&after, &b);
    EXPECT_LE(CompareFileTime(&a, &s), 0);
    EXPECT_GE(CompareFileTime(&b, &s), 0);
    // Within the second of the record it is not due either.
    EXPECT_FALSE(IsRestorePointDue());
}

TEST_F(RestorePoints, MadePointReportsSuccessAndIsRecorded) {
    ASSERT_TRUE(CreateRestorePoint(L"Before cleaning"));
    const std::string calls = ReadLog(log_);
    EXPECT_EQ(0u, calls.find("begin 100 12 Before cleaning\n")) << calls;
    // The end names the sequence number the begin handed out.
    const size_t end = calls.find("end ");
    ASSERT_NE(std::string::npos, end) << calls;
    EXPECT_EQ(std::string::npos, calls.find("remove")) << calls;
    EXPECT_TRUE(RecordExists());
    EXPECT_FALSE(IsRestorePointDue());

    // Within 25 hours nothing more is made, and that is no failure.
    ASSERT_TRUE(CreateRestorePoint(L"Again"));
    EXPECT_EQ(calls, ReadLog(log_));
}

TEST_F(RestorePoints, EmptyDescriptionTakesTheProductsText) {
    ASSERT_TRUE(CreateRestorePoint(L""));
    EXPECT_EQ(0u, ReadLog(log_).find("begin 100 12 Before changes made by Stellmark\n"))
        << ReadLog(log_);
}

TEST_F(RestorePoints, RefusedBeginReportsFailureAndRecordsNothing) {
    SetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", L"begin");
    EXPECT_FALSE(CreateRestorePoint(L"Refused"));
    const std::string calls = ReadLog(log_);
    EXPECT_EQ("begin 100 12 Refused\n", calls);
    EXPECT_FALSE(RecordExists());
    EXPECT_TRUE(IsRestorePointDue());
}

TEST_F(RestorePoints, FailedEndRemovesThePointAndReportsFailure) {
    SetEnvironmentVariableW(L"XARN_SRCLIENT_FAIL", L"end");
    EXPECT_FALSE(CreateRestorePoint(L"Unfinished"));
    std::istringstream calls(ReadLog(log_));
    std::string begin, end, remove;
    std::getline(calls, begin);
    std::getline(calls, end);
    std::getline(calls, remove);
    EXPECT_EQ("begin 100 12 Unfinished", begin);
    ASSERT_EQ(0u, end.find("end "));
    // The point removed is the one begun.
    EXPECT_EQ("remove " + end.substr(4), remove);
    EXPECT_FALSE(RecordExists());
}

TEST_F(RestorePoints, LongDescriptionIsCutToTheRecord) {
    const std::wstring description(400, L'x');
    ASSERT_TRUE(CreateRestorePoint(description.c_str()));
    EXPECT_EQ(0u, ReadLog(log_).find("begin 100 12 " + std::string(255, 'x') + "\n"));
}
