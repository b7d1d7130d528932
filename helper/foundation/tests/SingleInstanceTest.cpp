// One instance per title, between real processes: the probe program is started twice; the
// second hands its switches to the first, brings it to the front, or starts normally when
// the first shows no window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "probe/ProbeApp.h"

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path);
    // Under Wine a program outside every drive is named "unix\..."; only the long form opens.
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES)
        file = L"\\\\?\\" + file;
    return file.substr(0, file.rfind(L'\\'));
}

std::wstring ProbePath() {
    return ProgramFolder() + L"\\foundation_probe_app.exe";
}

// A title no other run of this test shares.
std::wstring UniqueTitle(const wchar_t* what) {
    static int serial = 0;
    return std::wstring(L"Probe ") + what + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++serial);
}

class Probe {
public:
    Probe(const std::wstring& title, const std::wstring& arguments,
          const std::wstring& program = ProbePath()) {
        SetEnvironmentVariableW(kProbeTitleVariable, title.c_str());
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process_) != FALSE;
        SetEnvironmentVariableW(kProbeTitleVariable, nullptr);
    }
    ~Probe() {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }

    // The exit code, or STILL_ACTIVE when the probe did not end in time.
    DWORD ExitCode(DWORD timeoutMs = 30000) const {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // The probe's visible dialog with the title, once it is shown.
    HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs = 30000) const {
        for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
            HWND window = nullptr;
            while ((window = FindWindowExW(nullptr, window, L"#32770", title.c_str())) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(window))
                    return window;
            }
            if (WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0)
                return nullptr;
        }
        return nullptr;
    }

private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

std::wstring MutexName(const std::wstring& title) {
    return L"Xarn_" + title + L"_24BF8EAB-03C7-4e3c-B10F-1D1F7C0297CB";
}

bool WaitForMutex(const std::wstring& title, DWORD timeoutMs = 30000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
        if (HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, MutexName(title).c_str())) {
            CloseHandle(mutex);
            return true;
        }
        Sleep(20);
    }
    return false;
}

struct HandOffCase {
    const wchar_t* firstArguments;
    const wchar_t* secondArguments;
    DWORD firstExitCode;
};

class HandOff : public testing::TestWithParam<HandOffCase> {};

TEST_P(HandOff, SecondStartHandsItsStrongestSwitchToTheFirstAndExits) {
    const std::wstring title = UniqueTitle(L"handoff");
    Probe first(title, GetParam().firstArguments);
    ASSERT_TRUE(first.Started());
    ASSERT_NE(first.WaitForDialog(title), nullptr); // a scheduled first start runs normally
    Probe second(title, GetParam().secondArguments);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.ExitCode(), kExitNotStarted);
    EXPECT_EQ(first.ExitCode(), GetParam().firstExitCode);
}

INSTANTIATE_TEST_SUITE_P(Switches, HandOff,
                         testing::Values(HandOffCase{L"", L"-schedule C: D:", kExitScheduleScan},
                                         HandOffCase{L"-schedule", L"/AutoFix", kExitAutoFix},
                                         HandOffCase{L"", L"-autofix -schedule", kExitAutoFix},
                                         HandOffCase{L"", L"/schedule /Shutdown", kExitShutdown}));

TEST(SingleInstance, PlainSecondStartBringsTheFirstBackAndExits) {
    const std::wstring title = UniqueTitle(L"front");
    Probe first(title, L"");
    ASSERT_TRUE(first.Started());
    HWND dialog = first.WaitForDialog(title);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(dialog));

    Probe second(title, L"");
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.ExitCode(), kExitNotStarted);
    EXPECT_FALSE(IsIconic(dialog));
    EXPECT_TRUE(IsWindowVisible(dialog));

    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.ExitCode(), kExitClosed);
}

class WindowlessFirst : public testing::Test {
protected:
    void SetUp() override {
        title_ = UniqueTitle(L"windowless");
        quit_ = CreateEventW(nullptr, TRUE, FALSE, (kProbeQuitEventPrefix + title_).c_str());
        SetEnvironmentVariableW(kProbeWindowlessVariable, L"1");
        first_ = std::make_unique<Probe>(title_, L"");
        SetEnvironmentVariableW(kProbeWindowlessVariable, nullptr);
        ASSERT_TRUE(first_->Started());
        ASSERT_TRUE(WaitForMutex(title_));
    }
    void TearDown() override {
        SetEvent(quit_);
        if (first_) {
            EXPECT_EQ(first_->ExitCode(), kExitWindowless);
        }
        CloseHandle(quit_);
    }

    std::wstring title_;
    HANDLE quit_ = nullptr;
    std::unique_ptr<Probe> first_;
};

TEST_F(WindowlessFirst, ScheduledStartRunsNormallyWhenTheRunningInstanceShowsNoWindow) {
    Probe second(title_, L"-schedule");
    ASSERT_TRUE(second.Started());
    HWND dialog = second.WaitForDialog(title_);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(second.ExitCode(), kExitClosed);
}

TEST_F(WindowlessFirst, PlainStartStillExitsWhenTheRunningInstanceShowsNoWindow) {
    Probe second(title_, L"");
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.ExitCode(), kExitNotStarted);
}

// The probe's state after start-up, as it writes it.
struct Report {
    int log = -1, schedule = -1, autoFix = -1, shutdown = -1, another = -1, admin = -1, osMajor = 0;
    int uiHeight = 0;
    std::wstring uiFace;
    std::wstring currentFolder;
    struct Font {
        long height, weight;
        int italic, underline;
        std::wstring face;
    };
    std::vector<Font> fonts;
};

std::wstring ReadLine(FILE* file) {
    wchar_t line[512] = {};
    if (fgetws(line, 512, file) == nullptr)
        return L"";
    std::wstring text(line);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    return text;
}

// Runs the probe (optionally copied to another place first) with a report file.
bool RunReportingProbe(const std::wstring& arguments, Report& report,
                       const std::wstring& program = ProbePath()) {
    wchar_t folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"prb", 0, path);
    SetEnvironmentVariableW(kProbeReportVariable, path);
    DWORD exitCode;
    {
        Probe probe(UniqueTitle(L"report"), arguments, program);
        exitCode = probe.ExitCode();
    }
    SetEnvironmentVariableW(kProbeReportVariable, nullptr);
    FILE* file = _wfopen(path, L"r, ccs=UTF-8");
    if (exitCode != kExitReported || file == nullptr) {
        if (file)
            fclose(file);
        DeleteFileW(path);
        ADD_FAILURE() << "probe ended with " << exitCode;
        return false;
    }
    std::wstring flags = ReadLine(file);
    swscanf(flags.c_str(), L"%d %d %d %d %d %d %d", &report.log, &report.schedule, &report.autoFix,
            &report.shutdown, &report.another, &report.admin, &report.osMajor);
    std::wstring ui = ReadLine(file);
    const size_t blank = ui.find(L' ');
    report.uiHeight = _wtoi(ui.c_str());
    report.uiFace = blank == std::wstring::npos ? L"" : ui.substr(blank + 1);
    report.currentFolder = ReadLine(file);
    for (std::wstring line = ReadLine(file); !line.empty(); line = ReadLine(file)) {
        Report::Font font = {};
        int consumed = 0;
        swscanf(line.c_str(), L"%ld %ld %d %d %n", &font.height, &font.weight, &font.italic,
                &font.underline, &consumed);
        font.face = line.substr(static_cast<size_t>(consumed));
        report.fonts.push_back(font);
    }
    fclose(file);
    DeleteFileW(path);
    return true;
}

TEST(StartUp, SwitchesAndLoggingComeFromTheArgumentsOnly) {
    // A folder of the program's path that holds switch words turns nothing on.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"tools -log -schedule " + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    // The probe with the libraries beside it, which it loads.
    std::vector<std::wstring> files = {L"foundation_probe_app.exe"};
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((ProgramFolder() + L"\\*.dll").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do
        files.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& file : files)
        ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\" + file).c_str(),
                              (folder + L"\\" + file).c_str(), FALSE))
            << file.c_str();
    const std::wstring copy = folder + L"\\" + files[0];

    Report plain;
    EXPECT_TRUE(RunReportingProbe(L"", plain, copy));
    EXPECT_EQ(plain.log, 0);
    EXPECT_EQ(plain.schedule, 0);
    // The start-up moves into the program's folder.
    EXPECT_EQ(_wcsicmp(plain.currentFolder.c_str(), folder.c_str()), 0) << plain.currentFolder;

    Report switched;
    EXPECT_TRUE(RunReportingProbe(L"-LOG -autofix", switched, copy));
    EXPECT_EQ(switched.log, 1);
    EXPECT_EQ(switched.schedule, 1);
    EXPECT_EQ(switched.autoFix, 1);
    EXPECT_EQ(switched.shutdown, 0);
    EXPECT_EQ(switched.another, 0);

    for (const std::wstring& file : files)
        DeleteFileW((folder + L"\\" + file).c_str());
    RemoveDirectoryW(folder.c_str());
}

// Rows of the shared-font table, counted from 1 as they are made.
const Report::Font& Row(const Report& report, size_t row) {
    return report.fonts.at(row - 1);
}

TEST(StartUp, SharedFontsFromVistaOn) {
    Report report;
    ASSERT_TRUE(RunReportingProbe(L"", report));
    ASSERT_GE(report.osMajor, 6);
    EXPECT_EQ(report.uiFace, L"SEGOE UI");
    EXPECT_EQ(report.uiHeight, -12);
    EXPECT_EQ(report.admin, 1); // Wine's user is an administrator with the rights in effect
    ASSERT_EQ(report.fonts.size(), 24u);
    for (const Report::Font& font : report.fonts)
        EXPECT_EQ(font.face, L"SEGOE UI");
    const long heights[24] = {-12, -12, -12, -12, -13, -13, -13, -13, -11, -11, -10, -18,
                              -18, -21, -18, -16, -16, -16, -14, -20, -20, -25, -15, -15};
    const long weights[24] = {400, 400, 700, 700, 700, 500, 400, 400, 400, 700, 400, 700,
                              700, 400, 400, 500, 700, 500, 500, 500, 700, 500, 500, 700};
    for (size_t row = 1; row <= 24; ++row) {
        EXPECT_EQ(Row(report, row).height, heights[row - 1]) << "row " << row;
        EXPECT_EQ(Row(report, row).weight, weights[row - 1]) << "row " << row;
        const bool underlined = row == 2 || row == 3 || row == 8 || row == 16;
        EXPECT_EQ(Row(report, row).underline != 0, underlined) << "row " << row;
        EXPECT_EQ(Row(report, row).italic != 0, row == 13) << "row " << row;
    }
}

// Wine answers a version per program name; the copy of the probe runs as Windows XP.
class WindowsXpProbe : public testing::Test {
protected:
    void SetUp() override {
        program_ = ProgramFolder() + L"\\foundation_probe_xp.exe";
        ASSERT_TRUE(CopyFileW(ProbePath().c_str(), program_.c_str(), FALSE));
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Version", REG_SZ, L"winxp64",
                                  sizeof L"winxp64"),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
        DeleteFileW(program_.c_str());
    }

    static std::wstring SegoeFontFile() {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        return std::wstring(windows) + L"\\FONTS\\SEGOEUI.TTF";
    }

    static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\foundation_probe_xp.exe";
    std::wstring program_;
};

TEST_F(WindowsXpProbe, TahomaWithArialForTheLargeFontsWhereSegoeIsMissing) {
    Report report;
    ASSERT_TRUE(RunReportingProbe(L"", report, program_));
    if (report.osMajor != 5)
        GTEST_SKIP() << "the system's version cannot be chosen for one program here";
    if (GetFileAttributesW(SegoeFontFile().c_str()) != INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "Segoe UI is installed";
    EXPECT_EQ(report.uiFace, L"tahoma");
    EXPECT_EQ(report.uiHeight, -11);
    ASSERT_EQ(report.fonts.size(), 24u);
    for (size_t row = 1; row <= 24; ++row)
        EXPECT_EQ(Row(report, row).face, row < 12 ? L"tahoma" : L"Arial") << "row " << row;
    EXPECT_EQ(Row(report, 1).height, -11);
    EXPECT_EQ(Row(report, 5).height, -12);
    EXPECT_EQ(Row(report, 9).height, -10);
    EXPECT_EQ(Row(report, 22).height, -24);
    EXPECT_EQ(Row(report, 23).height, -15);
    EXPECT_EQ(Row(report, 24).height, -15);
    // Medium weights need Vista; the title fonts keep theirs.
    EXPECT_EQ(Row(report, 6).weight, 400);
    EXPECT_EQ(Row(report, 17).weight, 400);
    EXPECT_EQ(Row(report, 22).weight, 400);
    EXPECT_EQ(Row(report, 23).weight, 500);
    EXPECT_EQ(Row(report, 24).weight, 700);
}

TEST_F(WindowsXpProbe, SegoeWhereItIsInstalledForEveryFont) {
    // Only the file's presence counts; an empty one is never loaded as a font.
    const std::wstring font = SegoeFontFile();
    if (GetFileAttributesW(font.c_str()) != INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "a real Segoe UI is installed";
    HANDLE file = CreateFileW(font.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    Report report;
    const bool ran = RunReportingProbe(L"", report, program_);
    DeleteFileW(font.c_str());
    ASSERT_TRUE(ran);
    if (report.osMajor != 5)
        GTEST_SKIP() << "the system's version cannot be chosen for one program here";
    EXPECT_EQ(report.uiFace, L"SEGOE UI");
    EXPECT_EQ(report.uiHeight, -12);
    ASSERT_EQ(report.fonts.size(), 24u);
    for (size_t row = 1; row <= 24; ++row)
        EXPECT_EQ(Row(report, row).face, L"SEGOE UI") << "row " << row;
    EXPECT_EQ(Row(report, 5).height, -13);
    EXPECT_EQ(Row(report, 6).weight, 400);
}

} // namespace
