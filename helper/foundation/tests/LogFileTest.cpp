// Log files: the line format and numbering of the writer, the switch between files, pruning
// to the five newest logs, and whole runs of a program that logs (first line of a process).
#include "AppLocations.h"
#include "AppState.h"
#include "KeepNumberofLogsLimited.h"
#include "LogFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

std::wstring CurrentDirectory() {
    wchar_t path[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, path);
    return path;
}

// The file's UTF-16 text as UTF-8, failing on a byte-order mark or an odd byte count.
std::string ReadLogText(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(0u, bytes.size() % 2);
    EXPECT_FALSE(bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                 static_cast<unsigned char>(bytes[1]) == 0xFE);
    std::wstring wide(bytes.size() / 2, L'\0');
    memcpy(wide.data(), bytes.data(), wide.size() * 2);
    std::string utf8;
    for (wchar_t c : wide)
        utf8 += static_cast<char>(c < 128 ? c : '?');
    return utf8;
}

// The messages of the numbered lines, checking the numbers run from 1 in each block.
std::vector<std::string> Messages(const std::string& text) {
    static const std::regex line("([0-9]+)\t([0-2][0-9]):([0-5][0-9]):([0-5][0-9])\t([^\r]*)\r\n");
    std::vector<std::string> messages;
    int expected = 1;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line);
         it != std::sregex_iterator(); ++it) {
        const int number = std::stoi((*it)[1]);
        if (number == 1)
            expected = 1;
        EXPECT_EQ(expected, number) << text;
        ++expected;
        messages.push_back((*it)[5]);
    }
    return messages;
}

std::wstring TodaysLogName() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[32];
    swprintf(name, 32, L"log_%02d-%02d-%04d.log", now.wMonth, now.wDay, now.wYear);
    return name;
}

void SetLastWrite(const std::wstring& path, int daysAgo) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER stamp{{now.dwLowDateTime, now.dwHighDateTime}};
    stamp.QuadPart -= static_cast<ULONGLONG>(daysAgo) * 24 * 3600 * 10000000ULL;
    const FILETIME when{stamp.LowPart, stamp.HighPart};
    SetFileTime(file, nullptr, nullptr, &when);
    CloseHandle(file);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An application title of this test alone, so its data folder is its own.
class LogFiles : public ::testing::Test {
protected:
    void SetUp() override {
        title_ = L"XarnLogTest" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter_++);
        g_strAppTitle = title_.c_str();
        folder_ = GetAppDataFolder().GetString();
        ASSERT_FALSE(folder_.empty());
    }
    void TearDown() override {
        TempFolder::RemoveTree(folder_);
        g_strAppTitle.Empty();
    }

    // Old logs "log_01-NN-2020.log", the newest first: number n is n days old.
    std::vector<std::wstring> MakeOldLogs(int count) {
        std::vector<std::wstring> names;
        for (int day = 1; day <= count; ++day) {
            wchar_t name[32];
            swprintf(name, 32, L"log_01-%02d-2020.log", day);
            WriteBytes(folder_ + L"\\" + name, "x");
            SetLastWrite(folder_ + L"\\" + name, day);
            names.push_back(name);
        }
        return names;
    }

    // Runs the logging program with the test's title.
    DWORD RunProbe(const std::wstring& arguments) {
        const std::wstring path = ProgramFolder() + L"\\foundation_log_probe.exe";
        std::wstring command = L"\"" + path + L"\" " + title_ + L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process))
            return 1000;
        DWORD code = 1001;
        if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }

    static inline int counter_ = 0;
    std::wstring title_;
    std::wstring folder_;
};

} // namespace

TEST_F(LogFiles, LinesAreNumberedTimestampedUtf16) {
    TempFolder scratch;
    const std::wstring path = scratch / L"one\\two\\trace.log";
    const std::wstring directory = CurrentDirectory();
    {
        CLogFile log;
        ASSERT_TRUE(log.Open(path.c_str()));
        // Making the log's folders leaves the process's current directory alone.
        EXPECT_EQ(directory, CurrentDirectory());
        log.WriteTimestamped(L"first");
        log.WriteTimestamped(L""); // nothing, and no number taken
        log.WriteTimestamped(L"second \u00e9");
    }
    const std::string text = ReadLogText(path);
    EXPECT_EQ((std::vector<std::string>{"first", "second ?", "Closing Log"}), Messages(text));
    EXPECT_EQ("\tClosing Log\r\n\r\n", text.substr(text.size() - 16));
    EXPECT_EQ(0u, text.find("1\t"));
}

TEST_F(LogFiles, ReopenSwitchesFilesAndRestartsNumbering) {
    TempFolder scratch;
    const std::wstring first = scratch / L"first.log";
    const std::wstring second = scratch / L"second.log";
    {
        CLogFile log;
        log.Reopen(first.c_str());
        log.WriteTimestamped(L"a");
        log.Reopen(first.c_str()); // the same name: nothing changes
        log.WriteTimestamped(L"b");
        log.Reopen(second.c_str());
        log.WriteTimestamped(L"c");
        log.Reopen(first.c_str()); // appended to, numbered from 1 again
        log.WriteTimestamped(L"d");
    }
    EXPECT_EQ((std::vector<std::string>{"a", "b", "Closing Log", "d", "Closing Log"}),
              Messages(ReadLogText(first)));
    EXPECT_EQ((std::vector<std::string>{"c", "Closing Log"}), Messages(ReadLogText(second)));
}

TEST_F(LogFiles, UnopenableFileDropsLines) {
    TempFolder scratch;
    WriteBytes(scratch / L"file", "not a folder");
    const std::wstring path = scratch / L"file\\trace.log";
    CLogFile log;
    EXPECT_FALSE(log.Open(path.c_str()));
    EXPECT_FALSE(log.IsOpen());
    log.WriteTimestamped(L"dropped");
    log.Close();
    EXPECT_EQ("not a folder", ReadBytes(scratch / L"file"));
}

TEST_F(LogFiles, PruningKeepsTheFiveNewestLogsOnly) {
    const std::vector<std::wstring> logs = MakeOldLogs(7);
    // Files that are no logs, or no files, stay whatever their age.
    for (const wchar_t* other : {L"notes.txt", L"trace.log.bak", L"old.logx"}) {
        WriteBytes(folder_ + L"\\" + other, "keep");
        SetLastWrite(folder_ + L"\\" + other, 400);
    }
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\folder.log").c_str(), nullptr));
    SetLastWrite(folder_ + L"\\folder.log", 500);

    CKeepNumberofLogsLimited().DeleteOldLogs();
    for (size_t index = 0; index < logs.size(); ++index)
        EXPECT_EQ(index < 5, Exists(folder_ + L"\\" + logs[index])) << index;
    for (const wchar_t* other : {L"notes.txt", L"trace.log.bak", L"old.logx", L"folder.log"})
        EXPECT_TRUE(Exists(folder_ + L"\\" + other));
}

TEST_F(LogFiles, PruningDeletesNothingUpToFiveAndTheOldestOfSix) {
    const std::vector<std::wstring> five = MakeOldLogs(5);
    CKeepNumberofLogsLimited().DeleteOldLogs();
    for (const std::wstring& name : five)
        EXPECT_TRUE(Exists(folder_ + L"\\" + name));

    const std::vector<std::wstring> six = MakeOldLogs(6);
    CKeepNumberofLogsLimited().DeleteOldLogs();
    for (size_t index = 0; index < 5; ++index)
        EXPECT_TRUE(Exists(folder_ + L"\\" + six[index]));
    EXPECT_FALSE(Exists(folder_ + L"\\" + six[5]));
}

TEST_F(LogFiles, LoggingOffWritesNothing) {
    TempFolder::RemoveTree(folder_);
    EXPECT_EQ(0u, RunProbe(L"off hello world"));
    EXPECT_FALSE(Exists(folder_));
}

TEST_F(LogFiles, FirstLineOfARunPrunesAndOpensTheDatedFile) {
    const std::vector<std::wstring> old = MakeOldLogs(7);
    // Exit code 0: the current directory did not move.
    ASSERT_EQ(0u, RunProbe(L"on started \"\" A:ansi-line last"));
    for (size_t index = 0; index < old.size(); ++index)
        EXPECT_EQ(index < 5, Exists(folder_ + L"\\" + old[index])) << index;
    const std::wstring today = folder_ + L"\\" + TodaysLogName();
    ASSERT_TRUE(Exists(today));
    EXPECT_EQ((std::vector<std::string>{"started", "ansi-line", "last", "Closing Log"}),
              Messages(ReadLogText(today)));

    // A second run of the day appends, numbered from 1 again; with six logs now, the oldest
    // old one goes.
    ASSERT_EQ(0u, RunProbe(L"on again"));
    EXPECT_EQ((std::vector<std::string>{"started", "ansi-line", "last", "Closing Log", "again",
                                        "Closing Log"}),
              Messages(ReadLogText(today)));
    EXPECT_FALSE(Exists(folder_ + L"\\" + old[4]));
    EXPECT_TRUE(Exists(folder_ + L"\\" + old[3]));
}
