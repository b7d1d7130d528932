// The scheduled tasks' runs from end to end: each task saved through the schedule manager, read
// back through ITask and its program started with the task's own application, parameters and
// folder, as the Task Scheduler starts it (Wine's stores tasks but never runs them). The
// optimise task defragments drive R:, a simulated volume of the real service, with nobody
// there; the clean task cleans the temporary folder; "-shutdown" ends at the shut-down dialog,
// which is cancelled; the install helper removes both tasks. Everything is watched from outside
// the program: its windows, the service, the volume and the files. Runs in a prefix of its own
// with a fixed drive R: (the clean and the install helper act on the whole prefix).
#include <windows.h>

#include <DiskDefragApp.h>

#include <AppState.h>
#include <IniReader.h>
#include <ToolsTable.h>

#include "DefragRecords.h"
#include "DefragRpcBinding.h"
#include "Drive.h"
#include "FreeSpaceRule.h"
#include "JunkTestSupport.h"
#include "LastScanValues.h"
#include "ProgramTestSupport.h"
#include "ScheduleManager.h"
#include "ServiceControl.h"
#include "ServiceTestSupport.h"
#include "SimulatedVolumeConfig.h"
#include "StoredTask.h"
#include "UiTestSupport.h"
#include "UnixPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using stored_task::ReadStoredTask;
using stored_task::StoredTask;

namespace {

constexpr wchar_t kDrive = L'R';
constexpr wchar_t kImage[] = L"C:\\xarn-scheduled-simvol.img";
constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Xarn Scheduled Test";
constexpr wchar_t kHelperFolder[] = L"C:\\xarn-scheduled-helper";
constexpr int32_t kBlocks = 1403;
// A run: the program's start delay, two passes over a small volume, the pages' sleeps.
constexpr DWORD kRunMilliseconds = 240'000;
// The main window's appearance, on a machine busy with other suites' programs.
constexpr DWORD kWindowMilliseconds = 60'000;
constexpr double kOldHours = 24.0 * 30;

const auto* const g_gdiPlus = ::testing::AddGlobalTestEnvironment(new GdiPlusEnvironment);

// The screen over the main window, beside the test program, as the virtual display shows it
// (a pop-up's overlay there is opaque: the display composes no translucency).
void Photograph(HWND main, const wchar_t* name) {
    Sleep(2000); // painted
    CRect window;
    GetWindowRect(main, &window);
    EXPECT_TRUE(SaveScreenPng(window, BesideProgram(name).c_str())) << name;
}

// The dialogs the program shows besides its main window, visible ones only. A pop-up runs over
// a dimming overlay, itself a dialog, that owns it and shows just after it: an overlay is not
// counted beside its pop-up.
std::vector<HWND> OtherDialogsOf(const Process& program, HWND main) {
    std::vector<HWND> dialogs;
    for (HWND window : TopLevelWindowsOf(program.Id())) {
        wchar_t kind[16] = {};
        GetClassNameW(window, kind, 16);
        if (window != main && IsWindowVisible(window) && lstrcmpW(kind, L"#32770") == 0)
            dialogs.push_back(window);
    }
    std::vector<HWND> popups;
    for (HWND dialog : dialogs) {
        const bool overlay = std::any_of(dialogs.begin(), dialogs.end(), [&](HWND other) {
            return GetWindow(other, GW_OWNER) == dialog;
        });
        if (!overlay)
            popups.push_back(dialog);
    }
    return popups;
}

// Polls every 200 ms until `done` or the time is up.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 200) {
        if (done())
            return true;
        Sleep(200);
    }
    return false;
}

// The dialogs shown when the program first shows any; none when it ended first or the run's
// time ran out.
std::vector<HWND> FirstDialogsOf(const Process& program, HWND main) {
    std::vector<HWND> shown;
    WaitUntil(
        [&] {
            shown = OtherDialogsOf(program, main);
            return !shown.empty() || program.HasEnded(0);
        },
        kRunMilliseconds);
    return shown;
}

std::wstring TitleOf(HWND window) {
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    return title;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// The titles of dialogs, for a failure's message.
std::string TitlesOf(const std::vector<HWND>& dialogs) {
    std::string titles;
    for (HWND dialog : dialogs)
        titles += " \"" + Narrow(TitleOf(dialog)) + "\"";
    return titles;
}

std::wstring ShutDownDialogTitle() {
    return GetLangString(L"IDS_SHUTDOWN_ALERT", L"PELQ").GetString();
}

// Presses its Cancel button as a user would and waits until it is gone.
void CancelShutDownDialog(HWND dialog) {
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    ASSERT_NE(nullptr, cancel);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 60'000));
}

// Files planted in the prefix's temporary folder: old ones are its junk; a recent one and a
// program are not chosen by the cleaner's settings.
struct PlantedFiles {
    std::wstring folder;
    std::vector<std::wstring> junk;
    std::vector<std::wstring> kept;
};

PlantedFiles PlantTemporaryFiles(const std::wstring& tag) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    PlantedFiles planted;
    planted.folder = std::wstring(temp) + L"xarn-scheduled-" + tag + L"\\";
    planted.junk = {tag + L"-old.dat", tag + L"-old.txt"};
    planted.kept = {tag + L"-recent.dat", tag + L"-tool.exe"};
    junktest::RemoveTree(planted.folder);
    for (const std::wstring& name : planted.junk)
        junktest::MakeFile(planted.folder + name, 400, kOldHours);
    junktest::MakeFile(planted.folder + planted.kept[0], 600, 1.0);
    junktest::MakeFile(planted.folder + planted.kept[1], 700, kOldHours);
    return planted;
}

bool JunkGone(const PlantedFiles& planted) {
    for (const std::wstring& name : planted.junk)
        if (junktest::Exists(planted.folder + name))
            return false;
    return true;
}

// Wine's Recycle Bin is the trash folder of the Unix home.
bool InRecycleBin(const std::wstring& name) {
    wchar_t home[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH) == 0)
        return false;
    std::wstring path = home; // "\??\unix\..."
    path.replace(0, 4, L"\\\\?\\");
    return junktest::Exists(path + L"\\.local\\share\\Trash\\files\\" + name);
}

void ExpectCleanedToTheRecycleBin(const PlantedFiles& planted) {
    for (const std::wstring& name : planted.junk)
        EXPECT_TRUE(InRecycleBin(name)) << Narrow(name);
    for (const std::wstring& name : planted.kept)
        EXPECT_TRUE(junktest::Exists(planted.folder + name)) << Narrow(name) << " stays";
}

// The program as the Task Scheduler starts a stored task.
std::unique_ptr<Process> StartAsTheSchedulerDoes(const StoredTask& task) {
    return std::make_unique<Process>(task.application, task.parameters, task.workingFolder);
}

class ScheduledRuns : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_strAppTitle = GetToolTitle(kDefragToolNumber);
        RemoveService();
        binding_ = std::make_unique<DefragRpcBinding>(kDefragRpcEndpoint);
        problem_ = InstallAnsweringService(kInstallFolder, kBlocks, kDrive);
    }
    static void TearDownTestSuite() {
        RemoveService();
        RegistryKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServiceParametersKey, 0, KEY_SET_VALUE, key.Put()) ==
            ERROR_SUCCESS)
            RegDeleteValueW(key.Get(), SimulatedVolumeValueName(kDrive).c_str());
        DeleteFileW(kImage);
        binding_.reset();
    }
    void SetUp() override {
        ASSERT_EQ("", problem_);
        bool offered = false;
        for (const auto& drive : BuildDriveList())
            offered = offered || drive->RootPath().CompareNoCase(L"R:\\") == 0;
        // The prefix has it from its start (see test-sandbox.sh --drive).
        ASSERT_TRUE(offered) << "R: is among the program's fixed drives";
    }
    void TearDown() override {
        (void)manager_.DeleteTask(kOptimizeTaskName);
        (void)manager_.DeleteTask(kCleanTaskName);
    }

    // A fresh fragmented volume for R:; its digests and fragmented files before the run.
    void MakeVolume() {
        // The program's free-space rule reads the drive's own volume, here the host's disk,
        // not the simulated one: without room there it refuses the run with a message box.
        ASSERT_TRUE(DriveHasEnoughFreeSpace(kDrive))
            << "the host's disk has less than 1 GiB and 8 % free: the program would refuse";
        JobVolume made;
        ASSERT_NO_FATAL_FAILURE(MakeJobVolume(kImage, kDrive, 124, made));
        digests_ = std::move(made.digests);
        fragmentedBefore_ = made.fragmentedFiles;
        ASSERT_GT(fragmentedBefore_, 100);
    }
    // Sound, every file's data unchanged, and fewer fragmented files than before.
    void ExpectVolumeDefragmented() {
        LastScanTexts recorded;
        LoadLastScanTexts(recorded, L"");
        EXPECT_STREQ(L"R:\\", recorded.drive) << "the program's record of the run";
        const int after = ExpectJobVolumeSound(kImage, digests_);
        EXPECT_LT(after * 4, fragmentedBefore_)
            << after << " of " << fragmentedBefore_ << " fragmented files are left";
    }

    // The page's choice saved for this program, then read back as the scheduler would.
    StoredTask SaveAndReadBack(ScheduleChoice choice) {
        choice.programPath = (ProgramFolder() + L"Xarn.exe").c_str();
        choice.workingFolder = ProgramFolder().c_str();
        choice.mode = ScheduleMode::kDaily;
        choice.hour = 3;
        choice.minute = 30;
        SYSTEMTIME now{};
        GetLocalTime(&now);
        EXPECT_EQ(ScheduleSaveResult::kSaved, SaveSchedule(manager_, choice, now));
        StoredTask stored;
        EXPECT_TRUE(ReadStoredTask(choice.optimise ? kOptimizeTaskName : kCleanTaskName, stored));
        EXPECT_EQ(ProgramFolder() + L"Xarn.exe", stored.application);
        return stored;
    }

    static inline std::unique_ptr<DefragRpcBinding> binding_;
    static inline std::string problem_;
    CScheduleManager manager_;
    SimDigests digests_;
    int fragmentedBefore_ = 0;
};

TEST_F(ScheduledRuns, OptimiseTaskDefragmentsItsDriveWithNobodyThereAndKeepsTheService) {
    MakeVolume();
    ScheduleChoice choice;
    choice.optimise = true;
    choice.drive = kDrive;
    const StoredTask task = SaveAndReadBack(choice);
    ASSERT_EQ(L"-schedule -R", task.parameters);

    const std::unique_ptr<Process> xarn = StartAsTheSchedulerDoes(task);
    ASSERT_TRUE(xarn->Started());
    const HWND main = MainWindowOf(*xarn, kWindowMilliseconds);
    ASSERT_NE(nullptr, main);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 60'000))
        << "a scheduled run shows its window";

    // Both passes run without an answer from anyone; the first dialog the program shows is the
    // completion message after the second pass, over the results page (only another program's
    // automatic defragmentation leaves them out), for the user to find on return.
    const std::vector<HWND> shown = FirstDialogsOf(*xarn, main);
    ASSERT_FALSE(xarn->HasEnded(0));
    ASSERT_EQ(1u, shown.size()) << "no end of the run:" << TitlesOf(shown);
    Photograph(main, L"scheduled_defrag_done.png");
    EXPECT_EQ(kJobFinished, JobState());
    ExpectVolumeDefragmented();

    // The run was scheduled: closing the program leaves the service running.
    EXPECT_TRUE(CloseProgram(*xarn));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState());
    ServiceHandles handles;
    EXPECT_TRUE(SendWhenListening(handles, kBlocks, kCommandRelease, kDrive, 0))
        << "the service still answers";
}

TEST_F(ScheduledRuns, ShutdownSwitchEndsAtTheShutDownDialog) {
    MakeVolume();
    ScheduleChoice choice;
    choice.optimise = true;
    choice.drive = kDrive;
    choice.autofix = true;
    choice.shutdown = true;
    const StoredTask task = SaveAndReadBack(choice);
    ASSERT_EQ(L" -shutdown -R", task.parameters);

    const std::unique_ptr<Process> xarn = StartAsTheSchedulerDoes(task);
    const HWND main = MainWindowOf(*xarn, kWindowMilliseconds);
    ASSERT_NE(nullptr, main);
    const std::vector<HWND> shown = FirstDialogsOf(*xarn, main);
    ASSERT_EQ(1u, shown.size()) << "the shut-down dialog comes before the completion message:"
                                << TitlesOf(shown);
    const HWND dialog = shown.front();
    EXPECT_EQ(ShutDownDialogTitle(), TitleOf(dialog));
    Photograph(main, L"scheduled_shutdown_dialog.png");
    ExpectVolumeDefragmented();

    // Cancelled long before its countdown ends: nothing shuts down, the completion follows.
    CancelShutDownDialog(dialog);
    EXPECT_TRUE(WaitUntil([&] { return !OtherDialogsOf(*xarn, main).empty(); }, 60'000))
        << "the completion message";
    EXPECT_FALSE(xarn->HasEnded(0));
    EXPECT_TRUE(CloseProgram(*xarn));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState());
}

TEST_F(ScheduledRuns, CleanTaskCleansTheTemporaryFolderWithNobodyThere) {
    const PlantedFiles planted = PlantTemporaryFiles(L"clean");
    ScheduleChoice choice;
    choice.optimise = false;
    choice.autofix = true;
    const StoredTask task = SaveAndReadBack(choice);
    ASSERT_EQ(L" -autofix", task.parameters);

    const std::unique_ptr<Process> xarn = StartAsTheSchedulerDoes(task);
    const HWND main = MainWindowOf(*xarn, kWindowMilliseconds);
    ASSERT_NE(nullptr, main);
    const bool cleaned = WaitUntil([&] { return JunkGone(planted); }, kRunMilliseconds);
    for (HWND dialog : OtherDialogsOf(*xarn, main))
        ADD_FAILURE() << "a dialog waits: " << Narrow(TitleOf(dialog));
    EXPECT_TRUE(cleaned) << "the old temporary files are gone";
    ExpectCleanedToTheRecycleBin(planted);
    EXPECT_FALSE(xarn->HasEnded(0));
    EXPECT_TRUE(CloseProgram(*xarn));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceState()) << "a scheduled run keeps it";
    junktest::RemoveTree(planted.folder);
}

TEST_F(ScheduledRuns, CleanTaskWithShutdownCleansThenEndsAtTheShutDownDialog) {
    const PlantedFiles planted = PlantTemporaryFiles(L"shutdown");
    ScheduleChoice choice;
    choice.optimise = false;
    choice.autofix = true;
    choice.shutdown = true;
    const StoredTask task = SaveAndReadBack(choice);
    ASSERT_EQ(L" -shutdown", task.parameters);

    const std::unique_ptr<Process> xarn = StartAsTheSchedulerDoes(task);
    const HWND main = MainWindowOf(*xarn, kWindowMilliseconds);
    ASSERT_NE(nullptr, main);
    // The restore point's progress dialog comes and goes by itself before the deletion.
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (HWND shown : OtherDialogsOf(*xarn, main))
                if (TitleOf(shown) == ShutDownDialogTitle())
                    dialog = shown;
            return dialog != nullptr || xarn->HasEnded(0);
        },
        kRunMilliseconds));
    ASSERT_NE(nullptr, dialog) << "the program ended without the shut-down dialog";
    EXPECT_EQ(1u, OtherDialogsOf(*xarn, main).size());
    EXPECT_TRUE(JunkGone(planted)) << "the dialog comes after the deletion";
    ExpectCleanedToTheRecycleBin(planted);

    // Cancelled: nothing shuts down, and the program ends by itself.
    CancelShutDownDialog(dialog);
    EXPECT_TRUE(xarn->HasEnded(20'000));
    junktest::RemoveTree(planted.folder);
}

// Last: it stops the service and ends the product's programs.
TEST_F(ScheduledRuns, InstallHelperRemovesBothTasksAndEndsTheProgram) {
    ScheduleChoice optimise;
    optimise.drive = kDrive;
    (void)SaveAndReadBack(optimise);
    ScheduleChoice clean;
    clean.optimise = false;
    (void)SaveAndReadBack(clean);
    ASSERT_TRUE(manager_.TaskExists(kOptimizeTaskName));
    ASSERT_TRUE(manager_.TaskExists(kCleanTaskName));

    CreateDirectoryW(kHelperFolder, nullptr);
    const std::wstring helper = std::wstring(kHelperFolder) + L"\\KillXarnProcesses.exe";
    ASSERT_TRUE(
        CopyFileW(WindowsPathOfUnixFile(XARN_KILL_PROCESSES).c_str(), helper.c_str(), FALSE));
    const Process xarn(ProgramFolder() + L"Xarn.exe");
    ASSERT_NE(nullptr, MainWindowOf(xarn, kWindowMilliseconds));
    {
        Process run(helper);
        ASSERT_TRUE(run.Started());
        EXPECT_TRUE(run.HasEnded(60'000));
    }
    EXPECT_FALSE(manager_.TaskExists(kOptimizeTaskName));
    EXPECT_FALSE(manager_.TaskExists(kCleanTaskName));
    EXPECT_TRUE(WaitForServiceState(SERVICE_STOPPED, 20'000)) << "the service is stopped";
    EXPECT_TRUE(xarn.HasEnded(10'000)) << "the program is ended";
    DeleteFileW(helper.c_str());
    RemoveDirectoryW(kHelperFolder);
}

} // namespace
