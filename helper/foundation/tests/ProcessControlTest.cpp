// Finding and ending programs by a part of their file name, on copies of a test program with
// names of this test's own; and starting programs through the shell.
#include "AppLocations.h"
#include "AppState.h"
#include "ProcessControl.h"
#include "ShellCommands.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A unique word for this test process, in the names of its copies only.
std::wstring UniqueWord() {
    return L"xsvcprobe" + std::to_wstring(GetCurrentProcessId());
}

// A copy of the waiting test program under another name, started and ended by the test.
class TargetProgram {
public:
    explicit TargetProgram(const std::wstring& path) : path_(path) {
        CopyFileW((ProgramFolder() + L"\\foundation_idle_target.exe").c_str(), path_.c_str(),
                  FALSE);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + path_ + L"\"";
        started_ = CreateProcessW(path_.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process_) != FALSE;
        // Until it has loaded, a new process lists no modules.
        for (int wait = 0; started_ && wait < 100 && !ProcessListsModules(process_.dwProcessId);
             ++wait)
            Sleep(50);
    }
    ~TargetProgram() {
        if (started_) {
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        DeleteFileW(path_.c_str());
    }
    TargetProgram(const TargetProgram&) = delete;
    TargetProgram& operator=(const TargetProgram&) = delete;

    bool Started() const { return started_; }
    // The exit code once ended within the wait; STILL_ACTIVE otherwise.
    DWORD ExitCodeAfter(DWORD milliseconds) const {
        WaitForSingleObject(process_.hProcess, milliseconds);
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    std::wstring path_;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

} // namespace

TEST(ProcessSearch, FindsByAnyPartOfTheNameInAnyCase) {
    const std::wstring word = UniqueWord();
    TargetProgram target(ProgramFolder() + L"\\Run" + word + L"Now.exe");
    ASSERT_TRUE(target.Started());
    CString upper(word.c_str());
    upper.MakeUpper();
    EXPECT_TRUE(IsProcessRunning(upper, 0, false));
    EXPECT_TRUE(IsProcessRunning((L"run" + word + L"now.EXE").c_str(), 0, false));
    EXPECT_FALSE(IsProcessRunning((word + L"-none").c_str(), 0, false));
    EXPECT_FALSE(IsProcessRunning(L"", 0, false));
}

TEST(ProcessSearch, SameFolderComparesTheProgramsFolder) {
    const std::wstring word = UniqueWord();
    TargetProgram here(ProgramFolder() + L"\\Here" + word + L".exe");
    ASSERT_TRUE(here.Started());
    EXPECT_TRUE(IsProcessRunning((L"here" + word).c_str(), 0, true));
    // A part of the file name only: the folder is still the whole folder of the program.
    EXPECT_TRUE(IsProcessRunning(word.c_str(), 0, true));

    // Elsewhere, in a folder whose name holds the searched word as well.
    TempFolder outer;
    const std::wstring folder = outer / (L"in-" + word + L"-dir");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    TargetProgram there(folder + L"\\There" + word + L".exe");
    ASSERT_TRUE(there.Started());
    EXPECT_FALSE(IsProcessRunning((L"there" + word).c_str(), 0, true));
    EXPECT_TRUE(IsProcessRunning((L"there" + word).c_str(), 0, false));
}

TEST(ProcessSearch, IntervalAnswersTrueWithoutLookingUntilItHasPassed) {
    const CString missing((UniqueWord() + L"-missing").c_str());
    EXPECT_FALSE(IsProcessRunning(missing, 5000, false));
    EXPECT_TRUE(IsProcessRunning(missing, 5000, false));
    // Without an interval every call looks.
    EXPECT_FALSE(IsProcessRunning(missing, 0, false));
    Sleep(300);
    EXPECT_FALSE(IsProcessRunning(missing, 200, false));
}

TEST(ProcessKill, EndsEveryProcessWhoseNameHoldsThePart) {
    const std::wstring word = UniqueWord();
    TargetProgram first(ProgramFolder() + L"\\Kill" + word + L"A.exe");
    TargetProgram second(ProgramFolder() + L"\\kill" + word + L"b.exe");
    TargetProgram other(ProgramFolder() + L"\\Keep" + word + L".exe");
    ASSERT_TRUE(first.Started() && second.Started() && other.Started());

    CString part((L"KILL" + word).c_str());
    EXPECT_TRUE(KillProcessesByName(part));
    EXPECT_EQ(666u, first.ExitCodeAfter(10000));
    EXPECT_EQ(666u, second.ExitCodeAfter(10000));
    EXPECT_EQ(STILL_ACTIVE, other.ExitCodeAfter(0));
    EXPECT_FALSE(IsProcessRunning(part, 0, false));
    EXPECT_TRUE(IsProcessRunning((L"keep" + word).c_str(), 0, false));

    EXPECT_FALSE(KillProcessesByName(L""));
    EXPECT_EQ(STILL_ACTIVE, other.ExitCodeAfter(0));
}

TEST(ShellCommands, RunShellCommandStartsAProgram) {
    const std::wstring word = UniqueWord();
    const std::wstring path = ProgramFolder() + L"\\Shell" + word + L".exe";
    CopyFileW((ProgramFolder() + L"\\foundation_idle_target.exe").c_str(), path.c_str(), FALSE);
    const HINSTANCE result =
        RunShellCommand(nullptr, L"open", path.c_str(), nullptr, ProgramFolder().c_str(), SW_HIDE);
    EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
    bool running = false;
    for (int wait = 0; wait < 100 && !running; ++wait) {
        running = IsProcessRunning((L"shell" + word).c_str(), 0, true);
        if (!running)
            Sleep(50);
    }
    EXPECT_TRUE(running);
    EXPECT_TRUE(KillProcessesByName((L"shell" + word).c_str()));
    for (int wait = 0; wait < 100 && IsProcessRunning((L"shell" + word).c_str(), 0, false); ++wait)
        Sleep(50);
    EXPECT_FALSE(IsProcessRunning((L"shell" + word).c_str(), 0, false));
    for (int attempt = 0; attempt < 50 && !DeleteFileW(path.c_str()); ++attempt)
        Sleep(100);
    // A file that cannot be started is not tried here: the shell reports it in a message box.
}

TEST(ShellCommands, RelaunchStartsTheProgramAgainWithTheParameters) {
    // The log probe restarts itself with parameters that make the new process log a line.
    const std::wstring title = L"XarnRelaunchTest" + std::to_wstring(GetCurrentProcessId());
    g_strAppTitle = title.c_str();
    const std::wstring folder = GetAppDataFolder().GetString();
    g_strAppTitle.Empty();
    ASSERT_FALSE(folder.empty());
    const std::wstring probe = ProgramFolder() + L"\\foundation_log_probe.exe";
    std::wstring command = L"\"" + probe + L"\" " + title + L" relaunch";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(probe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, code);
    bool logged = false;
    for (int wait = 0; wait < 300 && !logged; ++wait) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\log_*.log").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            const std::string bytes = ReadBytes(folder + L"\\" + found.cFileName);
            std::string text;
            for (size_t at = 0; at + 1 < bytes.size(); at += 2)
                text += bytes[at];
            logged = text.find("\trelaunched\r\n") != std::string::npos &&
                     text.find("Closing Log") != std::string::npos;
        }
        if (!logged)
            Sleep(100);
    }
    EXPECT_TRUE(logged);
    TempFolder::RemoveTree(folder);
}

TEST(AppLocations, ModulePathIsThisProgram) {
    const CString path = GetAppModulePath();
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path));
    EXPECT_EQ(0, path.Right(36).CompareNoCase(L"\\foundation_process_control_test.exe"));
}
